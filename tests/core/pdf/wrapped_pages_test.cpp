// Documents whose lines are wrapped or split at form feeds, judged from the
// outside: qpdf must find nothing to warn about, pdftotext -bbox must find no
// word past the right margin where the wrap mode forbids it, and the rows of
// the content, joined again by their marks, must give the source back with
// every page full unless a form feed or the end closed it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/conversion_run.h"
#include "core/pdf/wrapped_lines.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "core/settings/line_capacity.h"
#include "core/text/mac_roman_decode.h"
#include "support/heap_in_use.h"
#include "support/pdf_structure.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

int between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Lines that test the breaking: words of every length, one far wider than
// the page, long runs of spaces, tabs, form feeds alone and in a row,
// letters outside ASCII that the standard fonts show, and now and then a
// line of a megabyte.
std::string generatedSource(std::mt19937& random, int lines, bool megabyteLine) {
    static const std::vector<std::string> pieces = {"a", "W", "m", "i", "(",  ")",  "\\", "é", "Œ",
                                                    "—", "0", " ", " ", "\t", "\f", "-",  "."};
    std::string source;
    for (int n = 0; n < lines; ++n) {
        switch (between(random, 0, 9)) {
            case 0:
                source += std::string(between(random, 1, 400), 'x');
                break;
            case 1:
                source += std::string(between(random, 1, 3000), ' ') + "after";
                break;
            case 2:
                source += std::string(between(random, 1, 4), '\f');
                break;
            case 3:
                if (megabyteLine) {
                    const std::string word = "megabyte line ";
                    for (int k = 0; k < (1 << 20) / 14; ++k) source += word;
                    megabyteLine = false;
                }
                break;
            default:
                for (int k = between(random, 0, 300); k > 0; --k)
                    source += pieces[std::uniform_int_distribution<std::size_t>(
                        0, pieces.size() - 1)(random)];
        }
        if (n + 1 < lines || between(random, 0, 1)) source += "\n";
    }
    return source;
}

// The content streams of a document without compression, in page order.
// The literal strings of one content line, unescaped, as UTF-8.
std::string rowText(const std::string& line) {
    std::string text;
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inString) {
            inString = c == '(';
        } else if (c == ')') {
            inString = false;
        } else {
            const char byte = c == '\\' ? line[++i] : c;
            appendMacRomanAsUtf8(static_cast<unsigned char>(byte), text);
        }
    }
    return text;
}

struct Rebuilt {
    std::string text;  // with LF line ends
    std::vector<std::size_t> rowsOfPage;
    std::vector<bool> pageEndsAtFormFeed;
};

// Reads the rows back as the marks say: a continuation joins the row before
// it, a form feed mark puts back 0x0C and joins the next row to the same line.
Rebuilt rebuild(const std::vector<std::string>& streams) {
    Rebuilt back;
    bool first = true, join = false;
    for (const std::string& stream : streams) {
        std::size_t rows = 0;
        bool lastWasFeed = false;
        const std::string body = stream.substr(0, stream.find("\r\nET\r\n"));
        for (const std::string& line : splitLines(body)) {
            if (line == "/LwCont MP") {
                join = true;
            } else if (line == "/LwFF MP") {
                back.text += '\f';
                join = true;
                lastWasFeed = true;
                continue;
            } else if (line.starts_with("(")) {  // a row: its first string shown with '

                if (!first && !join) back.text += '\n';
                back.text += rowText(line);
                first = join = false;
                ++rows;
            }
            lastWasFeed = false;
        }
        back.rowsOfPage.push_back(rows);
        back.pageEndsAtFormFeed.push_back(lastWasFeed);
    }
    return back;
}

// What the source reads as, line ends aside: its lines joined by LF.
std::string asLines(std::string source) {
    if (source.ends_with('\n')) source.pop_back();
    return source;
}

TEST(WrappedPagesProperty, GeneratedSourcesStayWholeInsideTheMargins) {
    if (!haveProgram("qpdf") || !haveProgram("pdftotext"))
        GTEST_SKIP() << "qpdf or pdftotext not installed";
    std::mt19937 random(20261208);
    TempDir dir;
    const std::vector<WrapMode> modes = {WrapMode::None, WrapMode::Word, WrapMode::Char,
                                         WrapMode::WordChar};
    const std::vector<std::string> fonts = {"Courier", "Times-Roman", "Helvetica-Bold"};
    for (int n = 0; n < 40; ++n) {
        ChosenValues chosen = defaultConfigValues();
        chosen.font = fonts[n % fonts.size()];
        chosen.leftMargin = std::to_string(between(random, 10, 120));
        chosen.more.wrap = modes[n % modes.size()];
        chosen.more.formFeed = between(random, 0, 3) ? FormFeedMode::Page : FormFeedMode::Ignore;
        chosen.more.wrapMark = between(random, 0, 1) ? WrapMark::Arrow : WrapMark::None;
        if (chosen.more.wrap == WrapMode::None) chosen.more.formFeed = FormFeedMode::Page;
        ConversionSettings settings;
        ASSERT_EQ(deriveSettings(settings, chosen), 0);
        const std::string source = generatedSource(random, between(random, 0, 120), n % 10 == 7);
        const std::string name = "doc" + std::to_string(n);
        writeBytes(dir.file(name + ".txt"), source);
        const ConversionOutcome outcome =
            convertSource(dir.file(name + ".txt"), dir.file(name + ".pdf"), settings, {}, nullptr);
        const std::string pdfPath = dir.file(name + ".pdf");

        ProcessResult check = runProcess({"qpdf", "--check", pdfPath});
        EXPECT_EQ(check.exitStatus, 0) << name << "\n" << check.out << check.err;
        EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << name << "\n" << check.out;

        const std::string pdf = readBytes(pdfPath);
        const std::vector<std::string> streams = contentStreams(pdf);
        ASSERT_EQ(streams.size(), outcome.pages) << name;
        const Rebuilt back = rebuild(streams);
        std::string expected = asLines(source);
        if (chosen.more.formFeed == FormFeedMode::Page) {
            EXPECT_EQ(back.text, expected) << name;
        } else {
            std::erase(expected, '\f');  // drawn as they always were: compare the rest
            std::string got = back.text;
            std::erase(got, '\f');
            EXPECT_EQ(got, expected) << name;
        }
        // Each continued row has its arrow, stroked after the text object
        // as an artifact, or none has with wrap-mark=none.
        for (const std::string& stream : streams) {
            const std::size_t textEnd = stream.find("\r\nET\r\n");
            std::size_t continued = 0, shafts = 0;
            for (std::size_t at = 0; (at = stream.find("/LwCont MP", at)) < textEnd; ++at)
                ++continued;
            const std::string after = stream.substr(textEnd);
            for (const std::string& line : splitLines(after)) shafts += line.ends_with(" m");
            const bool arrows = chosen.more.wrapMark == WrapMark::Arrow;
            EXPECT_EQ(shafts, arrows ? 2 * continued : 0) << name;
            if (shafts > 0) {
                EXPECT_TRUE(after.starts_with("\r\nET\r\n/Artifact BMC q\r\n") &&
                            after.ends_with("Q EMC\r\n"))
                    << name;
            }
        }
        const auto capacity = static_cast<std::size_t>(lineCapacity(settings));
        for (std::size_t page = 0; page < back.rowsOfPage.size(); ++page) {
            EXPECT_LE(back.rowsOfPage[page], capacity) << name << " page " << page;
            if (page + 1 < back.rowsOfPage.size() && !back.pageEndsAtFormFeed[page]) {
                EXPECT_EQ(back.rowsOfPage[page], capacity) << name << " page " << page;
            }
        }

        // Where words must not cross the right margin, pdftotext finds none
        // that does (a word no wider than the line, in word mode).
        if (chosen.more.wrap == WrapMode::Char || chosen.more.wrap == WrapMode::WordChar) {
            ProcessResult box = runProcess({"pdftotext", "-bbox", pdfPath, "-"});
            ASSERT_EQ(box.exitStatus, 0) << box.err;
            const double edge = settings.pageWidthValue - settings.leftMarginValue + 0.5;
            const std::string key = "xMax=\"";
            for (std::size_t at = 0; (at = box.out.find(key, at)) != std::string::npos;) {
                at += key.size();
                const double right = std::stod(box.out.substr(at, 20));
                if (right > edge) {
                    ADD_FAILURE() << name << ": a word ends at " << right << ", past " << edge;
                    break;
                }
            }
        }
        if (::testing::Test::HasFailure()) break;  // one case tells the story
    }
}

// The exact marks around form feeds: every segment a row (an empty one as
// "()'"), the mark after the row before the feed, the page ending there, and
// nothing added for a feed at the very end.
TEST(WrappedPages, FormFeedsEndPagesWithTheirMarks) {
    TempDir dir;
    ChosenValues chosen = defaultConfigValues();
    chosen.more.formFeed = FormFeedMode::Page;
    ConversionSettings settings;
    ASSERT_EQ(deriveSettings(settings, chosen), 0);
    struct Case {
        std::string source;
        std::vector<std::string> pages;  // each page's rows and marks
    };
    const std::vector<Case> cases = {
        {"\fabc\n", {"()'|/LwFF MP", "(abc)'"}},
        {"abc\f", {"(abc)'|/LwFF MP"}},
        {"abc\f\nx", {"(abc)'|/LwFF MP", "()'|(x)'"}},
        {"a\f\f\fb", {"(a)'|/LwFF MP", "()'|/LwFF MP", "()'|/LwFF MP", "(b)'"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        writeBytes(dir.file("ff.txt"), c.source);
        convertSource(dir.file("ff.txt"), dir.file("ff.pdf"), settings, {}, nullptr);
        std::vector<std::string> pages;
        for (const std::string& stream : contentStreams(readBytes(dir.file("ff.pdf")))) {
            std::string marks;
            for (const std::string& line : splitLines(stream.substr(0, stream.find("\r\nET"))))
                if (line.starts_with("(") || line.starts_with("/Lw"))
                    marks += (marks.empty() ? "" : "|") + line;
            pages.push_back(marks);
        }
        EXPECT_EQ(pages, c.pages) << c.source;
    }
}

// Counts the rows and what they hold, without keeping them.
struct RowTally : RowSink {
    std::uint64_t rows = 0, continued = 0, bytes = 0;
    std::size_t longest = 0;
    void row(std::string_view characters, bool continuation) override {
        ++rows;
        continued += continuation;
        bytes += characters.size();
        longest = std::max(longest, characters.size());
    }
    void formFeed() override {}
};

TEST(LineWrapper, AVeryLongLineIsCutInBoundedMemory) {
    // 64 MB of words and one word of 8 MB, handed over in pieces of 1 MB as
    // the reader does: no piece of it may be held beyond a window.
    std::string chunk;
    while (chunk.size() < (1 << 20)) chunk += "words of a line ";
    const std::string longWord(1 << 20, 'w');
    for (WrapMode mode : {WrapMode::WordChar, WrapMode::Word}) {
        RowTally tally;
        LineWrapper wrapper(*standardFontWidths("Courier"), 40'000, mode, true);
        const std::size_t before = heapBytesInUse();
        std::size_t peak = 0;
        wrapper.beginLine(tally);
        for (int i = 0; i < 72; ++i) {
            wrapper.add(i >= 32 && i < 40 ? longWord : chunk);
            peak = std::max(peak, heapBytesInUse() - before);
        }
        wrapper.endLine();
        EXPECT_EQ(tally.bytes, 64u * chunk.size() + 8u * longWord.size());
        EXPECT_EQ(tally.continued + 1, tally.rows);
        EXPECT_EQ(wrapper.wrappedLines(), 1u);
        EXPECT_LE(tally.longest, LineWrapper::kLongestRow + 4);
        EXPECT_LT(peak, std::size_t{8} << 20);
        if (mode == WrapMode::WordChar) {
            // 40 000 thousandths hold 66 Courier characters: "words of a
            // line " repeated breaks after the last whole word.
            EXPECT_GT(tally.rows, 64u * chunk.size() / 70);
        }
    }
}

}  // namespace
}  // namespace leafwright::testing
