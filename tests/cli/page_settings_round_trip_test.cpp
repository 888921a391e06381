#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Lines that stress the page settings together: words longer than a line,
// long runs of spaces, tabs, form feeds at every place in a line and in a
// row, characters PDF strings escape, and with otherScripts right-to-left
// words, Chinese and Korean without spaces and Cyrillic, which embedded
// fonts draw.
std::string randomSource(unsigned seed, bool otherScripts) {
    const std::vector<std::string> pieces = {"word ",
                                             "a ",
                                             "(x) ",
                                             "\\",
                                             "\t",
                                             "\f",
                                             "\f\f",
                                             "        ",
                                             "Unbreakablewordwithoutanyspaceatall",
                                             "\u00E9t\u00E9 ",
                                             "BT ET ",
                                             "%%EOF",
                                             "--------------------------------"};
    const std::vector<std::string> others = {
        "\u05E9\u05DC\u05D5\u05DD ", "\u0645\u0631\u062D\u0628\u0627 ",
        "\u4E2D\u6587\u5B57\u7B26\u3002", "\uD55C\uAD6D\uC5B4 ", "\u0416\u0438\u0437\u043D\u044C "};
    std::mt19937 random(seed);
    std::string source;
    for (int line = 0; line < 160; ++line) {
        for (int k = static_cast<int>(random() % 40); k > 0; --k) {
            const bool other = otherScripts && random() % 4 == 0;
            const std::vector<std::string>& from = other ? others : pieces;
            source += from[random() % from.size()];
        }
        source += "\n";
    }
    // A form feed on the last line, which adds no page of its own.
    source += "the end\f\n";
    return source;
}

std::string withCrLf(const std::string& source) {
    std::string expected;
    for (char c : source) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    return expected;
}

// Whatever the page settings, convert then unspool gives the source back
// exactly, the PDF is sound, and on fixed pages nothing is drawn past the
// right margin unless the words run on by the mode's own rule.
TEST(PageSettingsRoundTrip, EveryCombinationGivesTheSourceBack) {
    const bool qpdf = haveProgram("qpdf");
    const std::vector<std::vector<std::string>> combinations = {
        {"--wrap=word-char"},
        {"--wrap=char", "--form-feed=page"},
        {"--wrap=word", "--wrap-mark=none", "--form-feed=page"},
        {"--wrap=word-char", "--form-feed=page", "--header={file}|{title}|{page}/{pages}",
         "--footer=|{page}|", "--line-numbers=3", "--line-number-start=0"},
        {"--wrap=word-char", "--line-numbers=1", "--compress", "--header-rule=FALSE", "--header=x"},
        {"--form-feed=page", "--compress", "--footer={page:03}"},
        {"--wrap=word-char", "--header=\u03A3 {page}|\u9801|{file}", "--footer={date:%Y\u5E74}",
         "--line-numbers=2"},
    };
    TempDir dir;
    unsigned seed = 1;
    for (bool selfAdapting : {false, true}) {
        writeBytes(dir.file("settings.tcf"), configFor("Courier", selfAdapting));
        for (const auto& options : combinations) {
            std::string shown;
            for (const auto& o : options) shown += o + " ";
            SCOPED_TRACE(shown + (selfAdapting ? "self-adapting" : "fixed pages"));
            for (bool otherScripts : {false, true}) {
                SCOPED_TRACE(otherScripts ? "other scripts" : "Mac OS Roman");
                const std::string source = randomSource(seed++, otherScripts);
                writeBytes(dir.file("source.txt"), source);
                std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert", "--force",
                                                    "--config", "settings.tcf"};
                command.insert(command.end(), options.begin(), options.end());
                command.push_back("source.txt");
                auto convert = runProcess(command, dir.path());
                ASSERT_EQ(convert.exitStatus, 0) << convert.err;
                if (qpdf) {
                    auto check = runProcess({"qpdf", "--check", "source.pdf"}, dir.path());
                    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
                }
                std::filesystem::remove(dir.file("source.txt"));
                auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "source.pdf"}, dir.path());
                ASSERT_EQ(unspool.exitStatus, 0) << unspool.err;
                EXPECT_EQ(readBytes(dir.file("source.txt")), withCrLf(source));
            }
        }
    }
}

}  // namespace
}  // namespace leafwright
