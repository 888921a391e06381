#pragma once

// Converting with leafwright-cli and reading the result back, for the tests
// that judge whole documents with outside tools.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {

// A settings file choosing the font and its size (and the self-adapting
// page when asked).
inline std::string configFor(const std::string& font, bool selfAdapting = false, int size = 14) {
    return "A4  [595,842]\n" + font + "\n" + std::to_string(size) +
           "\nBlack\nWhite\n0\n36\n36\nFALSE\nFALSE\nDefault Path\n" +
           (selfAdapting ? "TRUE" : "FALSE") + "\n";
}

// What a conversion said on standard error, but for the warning about lines
// past the right edge of the page, which documents of long lines get.
inline std::string withoutPastEdgeWarning(const std::string& err) {
    std::string rest;
    for (const std::string& line : splitLines(err))
        if (line.find(" past the right edge of the page (see --wrap)") == std::string::npos)
            rest += line + "\n";
    return rest;
}

// Converts source.txt with the settings file and unspools the PDF into
// back/source.txt (the folder made when missing); returns what came back.
inline std::string convertAndUnspool(const TempDir& dir, const std::string& config,
                                     const std::string& name = "source") {
    std::filesystem::create_directories(dir.file("back"));
    writeBytes(dir.file("settings.tcf"), config);
    auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--config", "settings.tcf",
                               "--output-dir", "back", name + ".txt"},
                              dir.path());
    EXPECT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_EQ(withoutPastEdgeWarning(convert.err), "");
    auto unspool =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--force", "back/" + name + ".pdf"}, dir.path());
    EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
    return readBytes(dir.file("back/" + name + ".txt"));
}

inline void expectQpdfFindsNothing(const std::string& pdf) {
    if (!haveProgram("qpdf")) return;
    auto check = runProcess({"qpdf", "--check", pdf});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
    EXPECT_EQ(check.err, "");
}

}  // namespace leafwright::testing
