#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::runProcess;
using testing::TempDir;
using testing::writeBytes;

// A text converted to PDF and extracted again comes back line for line, each
// line ended by CR LF: parentheses (escaped in the PDF), tabs, accented
// letters (Mac OS Roman in the PDF, UTF-8 again outside), empty lines, and
// enough lines to fill several pages.
TEST(RoundTrip, ConvertThenUnspoolGivesBackTheSourceLines) {
    TempDir dir;
    std::vector<std::string> lines = {
        "Plain line",
        "(in parentheses) and )odd( ones ()",
        "\ttabbed\tline\t",
        "Caf\u00E9, na\u00EFve, \u00C5ngstr\u00F6m, \u00DCber, \u00E7a, \u00F1, \u00DF",
        "",
        "   leading and trailing spaces   ",
    };
    for (int i = 0; i < 150; ++i) lines.push_back("Numbered line " + std::to_string(i) + " (x)");
    lines.push_back("last line without a line end");

    std::string source, expected;
    for (const std::string& line : lines) {
        source += line + (&line == &lines.back() ? "" : "\n");
        expected += line + "\r\n";
    }

    writeBytes(dir.file("poem.txt"), source);
    std::filesystem::create_directory(dir.file("out"));

    auto convert =
        runProcess({LEAFWRIGHT_CLI, "convert", "--output-dir", "out", "poem.txt"}, dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "out/poem.pdf"}, dir.path());
    ASSERT_EQ(unspool.exitStatus, 0) << unspool.err;
    EXPECT_EQ(unspool.out, "out/poem.txt\n");
    EXPECT_EQ(readBytes(dir.file("out/poem.txt")), expected);
    EXPECT_EQ(readBytes(dir.file("poem.txt")), source);
}

// Whatever a line holds of the characters PDF strings and the older
// extraction treated specially (backslashes, parentheses, the marker texts
// "#$%" and "#$&", the capitals BT and ET in words and alone), convert then
// unspool gives it back exactly.
TEST(RoundTrip, RandomLinesOfSpecialCharactersComeBackExactly) {
    const std::string pieces[] = {"\\",  "\\\\", "(",   ")",      "\\(",        "\\)",   "#$%",
                                  "#$&", "#$",   "%",   "BT",     "ET",         " BT ",  " ET ",
                                  "GET", "DEBT", "/BT", "<41>",   "[(a) 1] TJ", "'",     "\"",
                                  " ",   "a",    "Tj",  "\u00E9", "\u00C5",     "%%EOF", "\\101"};
    std::mt19937 random(14);
    TempDir dir;
    for (int document = 0; document < 4; ++document) {
        std::string source, expected;
        for (int line = 0; line < 120; ++line) {
            std::string text;
            for (int k = static_cast<int>(random() % 12); k > 0; --k)
                text += pieces[random() % std::size(pieces)];
            source += text + "\n";
            expected += text + "\r\n";
        }
        const std::string name = "random" + std::to_string(document);
        writeBytes(dir.file(name + ".txt"), source);
        auto convert = runProcess({LEAFWRIGHT_CLI, "convert", name + ".txt"}, dir.path());
        ASSERT_EQ(convert.exitStatus, 0) << convert.err;
        std::filesystem::remove(dir.file(name + ".txt"));
        auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", name + ".pdf"}, dir.path());
        ASSERT_EQ(unspool.exitStatus, 0) << unspool.err;
        EXPECT_EQ(unspool.err, "");
        EXPECT_EQ(readBytes(dir.file(name + ".txt")), expected) << source;
    }
}

}  // namespace
}  // namespace leafwright
