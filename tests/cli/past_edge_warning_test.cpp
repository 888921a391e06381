// The warning for lines that run past the right edge of the page, judged
// from outside: the count it gives is the count of lines whose last word
// pdftotext -bbox finds past the right margin; the document, the paths on
// standard output and the exit status stay what they were without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

// Letter, Courier 10, margins of 36: a text area of 540 points, 90 columns.
const std::string kCourier10 =
    "Letter  [612,792]\nCourier\n10\nBlack\nWhite\n0\n36\n36\nFALSE\nFALSE\nDefault Path\nFALSE\n";
constexpr double kRightMargin = 612 - 36;

double attribute(const std::string& line, const char* name) {
    const std::size_t at = line.find(std::string(name) + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + std::strlen(name) + 2));
}

// Lines (by page and height) whose words reach past the right margin.
int linesPastMargin(const std::string& pdf) {
    const ProcessResult boxes = runProcess({"pdftotext", "-bbox", pdf, "-"});
    EXPECT_EQ(boxes.exitStatus, 0) << boxes.err;
    std::map<std::pair<int, long>, double> rightEnds;
    int page = 0;
    for (const std::string& line : splitLines(boxes.out)) {
        if (line.find("<page ") != std::string::npos) ++page;
        if (line.find("<word ") == std::string::npos) continue;
        double& end = rightEnds[{page, std::lround(attribute(line, "yMin") * 10)}];
        end = std::max(end, attribute(line, "xMax"));
    }
    int past = 0;
    for (const auto& [where, end] : rightEnds) past += end > kRightMargin + 0.01;
    return past;
}

struct Converted {
    ProcessResult run;
    std::string pdf;  // its bytes
};

Converted convert(const TempDir& dir, const std::string& name,
                  const std::vector<std::string>& options = {},
                  const std::string& config = kCourier10) {
    writeBytes(dir.file("settings.tcf"), config);
    std::vector<std::string> command{LEAFWRIGHT_CLI, "convert", "--force", "--config",
                                     "settings.tcf"};
    command.insert(command.end(), options.begin(), options.end());
    command.push_back(name + ".txt");
    Converted result{runProcess(command, dir.path()), {}};
    result.pdf = readBytes(dir.file(name + ".pdf"));
    return result;
}

std::string warningFor(const std::string& name, int lines) {
    return "leafwright-cli: " + name + ".txt: " + std::to_string(lines) +
           (lines == 1 ? " line runs" : " lines run") +
           " past the right edge of the page (see --wrap)\n";
}

TEST(PastEdgeWarningTest, CountsTheLinesPdftotextFindsPastTheMargin) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    TempDir dir;
    const std::string x90(90, 'x');
    // A line that fits exactly, one a glyph too wide, tabs to their stops
    // (eleven reach column 88), escaped characters, a line of Windows-1252.
    writeBytes(dir.file("plain.txt"), x90 + "\n" + x90 + "x\nshort\n");
    writeBytes(dir.file("tabs.txt"), std::string(11, '\t') + "xx\n" + std::string(11, '\t') +
                                         "xxx\n(a)\\b\t" + std::string(83, 'y') + "\n");
    writeBytes(dir.file("escapes.txt"),
               std::string(45, '(') + std::string(45, ')') + "\n" + std::string(91, '\\') + "\n");
    writeBytes(dir.file("latin.txt"),
               "caf\xE9 " + std::string(85, 'z') + "\ncaf\xE9 " + std::string(86, 'z') + "\n");
    // Embedded fonts: Greek letters with a line of 94 columns and one of 60.
    writeBytes(dir.file("greek.txt"), "\xCE\xB1\xCE\xB2 " + std::string(91, 'g') +
                                          "\n\xCE\xB1\xCE\xB2 " + std::string(57, 'g') + "\n");
    const std::map<std::string, int> expected{
        {"plain", 1}, {"tabs", 2}, {"escapes", 1}, {"latin", 1}, {"greek", 1}};
    for (const auto& [name, lines] : expected) {
        const Converted made = convert(dir, name);
        EXPECT_EQ(made.run.exitStatus, 0) << name;
        EXPECT_EQ(made.run.out, name + ".pdf\n");
        EXPECT_EQ(made.run.err, warningFor(name, lines));
        EXPECT_EQ(linesPastMargin(dir.file(name + ".pdf")), lines) << name;
        expectQpdfFindsNothing(dir.file(name + ".pdf"));
    }
}

TEST(PastEdgeWarningTest, AGrowingPageAndWrappingBetweenCharactersLeaveNothingToWarnOf) {
    TempDir dir;
    // Words past the edge, but still on the page for pdftotext (96 columns).
    const std::string word(95, 'w');
    writeBytes(dir.file("long.txt"), "a few words before " + word + " and after\n" +
                                         "words that wrap as words do, " + std::string(94, 'v') +
                                         "\n");
    std::string adapting = kCourier10;
    adapting.replace(adapting.rfind("FALSE"), 5, "TRUE");
    EXPECT_EQ(convert(dir, "long", {}, adapting).run.err, "");
    for (const char* mode : {"--wrap=word-char", "--wrap=char"}) {
        const Converted made = convert(dir, "long", {mode, "--json"});
        EXPECT_EQ(made.run.exitStatus, 0);
        EXPECT_EQ(made.run.err, "") << mode;
        EXPECT_EQ(made.run.out.find("past_edge_lines"), std::string::npos) << made.run.out;
    }
    // Between words only, a word longer than the line runs past the edge:
    // both lines hold one.
    const Converted words = convert(dir, "long", {"--wrap=word"});
    EXPECT_EQ(words.run.err, warningFor("long", 2));
    if (haveProgram("pdftotext")) {
        EXPECT_EQ(linesPastMargin(dir.file("long.pdf")), 2);
    }
    const Converted json = convert(dir, "long", {"--wrap=word", "--json"});
    EXPECT_NE(json.run.out.find("\"past_edge_lines\":2"), std::string::npos) << json.run.out;
    EXPECT_NE(json.run.out.find("2 lines run past the right edge"), std::string::npos);
    EXPECT_EQ(json.run.err, "");
}

// Margins that leave a text area narrower than one character, or none at
// all (margins wider than half the page): each row holds a single
// character, still on the page, and every line so broken is counted, in
// every way of breaking, the standard font's and an embedded font's text
// alike.
TEST(PastEdgeWarningTest, ATextAreaNarrowerThanACharacterBreaksAtEachAndIsWarnedOf) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    TempDir dir;
    const std::string latin = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const std::string greek = "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4" + latin;
    writeBytes(dir.file("latin.txt"), latin + "\n");
    writeBytes(dir.file("greek.txt"), greek + "\n");
    for (const char* margin : {"304", "310"}) {  // 4 points of text area, then -8
        std::string narrow = kCourier10;
        narrow.replace(narrow.find("\n36\n36\n") + 4, 2, margin);
        for (const char* mode : {"--wrap=char", "--wrap=word-char", "--wrap=word"}) {
            for (const auto& [name, text] :
                 {std::pair{"latin", latin}, std::pair{"greek", greek}}) {
                const std::string where = std::string(name) + " " + mode + " " + margin;
                const Converted made = convert(dir, name, {mode}, narrow);
                EXPECT_EQ(made.run.exitStatus, 0) << where;
                EXPECT_EQ(made.run.err, warningFor(name, 1)) << where;
                std::string found =
                    runProcess({"pdftotext", dir.file(std::string(name) + ".pdf"), "-"}).out;
                std::erase_if(found, [](char c) { return c == '\n' || c == ' ' || c == '\f'; });
                // Broken between words only, the word runs past instead.
                if (std::string(mode) != "--wrap=word") {
                    EXPECT_EQ(found, text) << where;
                }
            }
        }
    }
}

// A source large enough for two threads, whose pages they share out: each
// counts its own lines, and together they count each line once, as one
// thread does; the document is the same.
TEST(PastEdgeWarningTest, TwoThreadsCountTheLinesOfALargeSourceOnceEach) {
    TempDir dir;
    std::string text;
    int expected = 0;
    for (int line = 0; text.size() < (6u << 20); ++line) {
        const int length = (line * 37) % 140;
        text += std::string(static_cast<std::size_t>(length), char('a' + line % 26)) + "\r\n";
        expected += length > 90;
    }
    writeBytes(dir.file("large.txt"), text);
    const Converted two = convert(dir, "large", {"-j", "2"});
    const Converted one = convert(dir, "large", {"-j", "1"});
    EXPECT_EQ(two.run.err, warningFor("large", expected));
    EXPECT_EQ(one.run.err, warningFor("large", expected));
    EXPECT_EQ(two.pdf, one.pdf);
}

}  // namespace
}  // namespace leafwright::testing
