// Generated sources converted with line numbers (every N-th from K), with
// and without wrapping, under headers and footers with placeholders, judged
// from outside: qpdf --check, Unspool gives the source back exactly, and
// pdftotext -bbox finds each number level with its line's first row, all
// numbers ending at one right edge, left of every word of the body.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/pdftotext_boxes.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

bool digitsOnly(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Lines led by a tag naming their index ("L17"), of words of varying
// length; with `longLines`, some lines many times wider than the page.
std::string generatedSource(std::mt19937& random, int lines, bool longLines) {
    static const std::vector<std::string> words = {"a",     "note", "(draft)", "\\path\\",
                                                   "value", "x=1",  "row",     "ending;"};
    std::string source;
    for (int i = 0; i < lines; ++i) {
        source += "L" + std::to_string(i);
        int count = static_cast<int>(random() % 9);
        if (longLines && random() % 4 == 0) count += 40 + static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k) source += " " + words[random() % words.size()];
        if (random() % 11 == 0) source += "\tcolumn";
        source += "\n";
    }
    return source;
}

TEST(NumberedPagesProperty, NumbersStandByTheirLinesAndTheSourceComesBack) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    struct Case {
        int every, start;
        const char* wrap;
        const char* header;
        const char* footer;
    };
    const std::vector<Case> cases = {
        {1, 1, "none", "{file}|{date}|{page}/{pages}", "{path}||{page:03}"},
        {5, 1, "none", "||{page}", ""},
        {3, 0, "word-char", "{page}|{title}|", "{{x}}|{pages}|{page:05}"},
        {7, 95, "word", "", "{page}"},
        {1, 998, "char", "{date:%Y}|{page}|{mtime}", ""},
    };
    std::mt19937 random(20261208);
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.every) + "-" + std::to_string(c.start) + "-" +
                                 c.wrap + " " + c.header + " " + c.footer;
        SCOPED_TRACE(name);
        TempDir dir;
        const int lines = 60 + static_cast<int>(random() % 140);
        const std::string source = generatedSource(random, lines, std::string(c.wrap) != "none");
        writeBytes(dir.file("source.txt"), source);
        std::vector<std::string> command = {LEAFWRIGHT_CLI,
                                            "convert",
                                            "--wrap=" + std::string(c.wrap),
                                            "--line-numbers=" + std::to_string(c.every),
                                            "--line-number-start=" + std::to_string(c.start),
                                            "source.txt"};
        if (*c.header) command.insert(command.end() - 1, "--header=" + std::string(c.header));
        if (*c.footer) command.insert(command.end() - 1, "--footer=" + std::string(c.footer));
        const ProcessResult convert = runProcess(command, dir.path());
        ASSERT_EQ(convert.exitStatus, 0) << convert.err;
        const std::string pdf = dir.file("source.pdf");
        expectQpdfFindsNothing(pdf);

        const ProcessResult back = runProcess(
            {LEAFWRIGHT_CLI, "unspool", "--force", "-o", "back.txt", "source.pdf"}, dir.path());
        ASSERT_EQ(back.exitStatus, 0) << back.err;
        EXPECT_EQ(readBytes(dir.file("back.txt")), withCrLf(source));

        const std::vector<Word> words = wordsOf(pdf);
        std::map<int, Word> tags;  // line index -> its tag's box
        double bodyLeft = 1e9, highest = 1e9, lowest = 0;
        for (const Word& w : words) {
            if (w.text.size() > 1 && w.text[0] == 'L' && digitsOnly(w.text.substr(1))) {
                tags[std::stoi(w.text.substr(1))] = w;
                bodyLeft = std::min(bodyLeft, w.xMin);
                highest = std::min(highest, w.yMax);
                lowest = std::max(lowest, w.yMax);
            }
        }
        ASSERT_EQ(tags.size(), static_cast<std::size_t>(lines));
        std::set<int> shown;
        double rightEdge = -1;
        for (const Word& w : words) {
            // The header's row stands above every tag, the footer's below.
            if (!digitsOnly(w.text) || w.xMax >= bodyLeft || w.yMax < highest - 5 ||
                w.yMax > lowest + 5)
                continue;
            const int index = std::stoi(w.text) - c.start;
            ASSERT_TRUE(tags.count(index)) << w.text;
            EXPECT_EQ(index % c.every, 0) << w.text;
            EXPECT_EQ(tags[index].page, w.page) << w.text;
            EXPECT_NEAR(tags[index].yMax, w.yMax, 3) << w.text;
            if (rightEdge < 0) rightEdge = w.xMax;
            EXPECT_NEAR(w.xMax, rightEdge, 0.05) << w.text;
            EXPECT_TRUE(shown.insert(index).second) << w.text;
        }
        std::set<int> expected;
        for (int index = 0; index < lines; index += c.every) expected.insert(index);
        EXPECT_EQ(shown, expected);
    }
}

}  // namespace
}  // namespace leafwright::testing
