// Lines in scripts that must be shaped (Arabic, Hebrew, Devanagari, letters
// with combining marks), judged by Unspool giving the source back and by
// poppler's pdftotext finding the words where they are drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cli/converted_documents.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

const std::string kArabic = "مرحبا بالعالم، لا بأس، هذه جملة عربية.";
const std::string kHebrew = "שלום עולם, יש לי 123 תפוחים.";
const std::string kDevanagari = "नमस्ते दुनिया, यह किताब है।";
const std::string kCombining = "Cafe\u0301 re\u0301sume\u0301 n\u0303 o\u0308 a\u0323\u0302";
const std::string kMixed = "Left to right with مرحبا and שלום 42 inside";
const std::string kRightToLeftTabs = "\tتبويب\tنص";
const std::string kRaisedAtTheEnd = "The mark over q is raised: q\u0308";

const std::string kShowcase = kArabic + "\n" + kHebrew + "\n" + kDevanagari + "\n" + kCombining +
                              "\n" + kMixed + "\n" + kRightToLeftTabs + "\n" + kRaisedAtTheEnd +
                              "\nPlain line\n";

// Erases every occurrence of each of the pieces.
std::string without(std::string text, std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces)
        for (std::size_t at; (at = text.find(piece)) != std::string::npos;)
            text.erase(at, piece.size());
    return text;
}

// The words of a text: runs between white space, without the punctuation
// that pdftotext may set apart from a right-to-left word.
std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (c == ' ' || c == '\t' || c == '\n') {
            word = without(word, {".", ",", "\u060C", "\u0964"});
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// pdftotext's text without the direction marks and embeddings it adds.
std::string withoutDirectionMarks(const std::string& text) {
    return without(text, {"\u200E", "\u200F", "\u202A", "\u202B", "\u202C", "\u202D", "\u202E",
                          "\u2066", "\u2067", "\u2068", "\u2069"});
}

// The number in quotes after name= in a line of pdftotext -bbox, or -1.
double attribute(const std::string& line, const std::string& name) {
    const std::size_t at = line.find(" " + name + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + name.size() + 3));
}

// The lines of the first page's content stream.
std::vector<std::string> contentLines(const std::string& pdf) {
    std::vector<std::string> lines;
    const std::size_t start = pdf.find(" Tm\r\n");
    const std::size_t end = pdf.find("\r\nET\r\n", start);
    for (std::size_t at = start + 5; at < end;) {
        const std::size_t lineEnd = std::min(pdf.find("\r\n", at), end);
        lines.push_back(pdf.substr(at, lineEnd - at));
        at = lineEnd + 2;
    }
    return lines;
}

// Where pdftotext found each word, by line (its top, rounded).
struct WordBox {
    double xMin, xMax;
};
struct PageBoxes {
    double width = 0;
    std::map<long, std::vector<WordBox>> lines;
};

PageBoxes wordBoxes(const std::string& pdf) {
    auto boxes = runProcess({"pdftotext", "-bbox", pdf, "-"});
    EXPECT_EQ(boxes.exitStatus, 0) << boxes.err;
    PageBoxes page;
    for (const std::string& line : splitLines(boxes.out)) {
        if (page.width == 0 && line.find("<page ") != std::string::npos)
            page.width = attribute(line, "width");
        if (line.find("<word ") != std::string::npos)
            page.lines[std::lround(attribute(line, "yMin"))].push_back(
                {attribute(line, "xMin"), attribute(line, "xMax")});
    }
    return page;
}

double leftEnd(const std::vector<WordBox>& words) {
    double left = words.front().xMin;
    for (const WordBox& box : words) left = std::min(left, box.xMin);
    return left;
}

double rightEnd(const std::vector<WordBox>& words) {
    double right = words.front().xMax;
    for (const WordBox& box : words) right = std::max(right, box.xMax);
    return right;
}

// Every script of the showcase comes back exactly from Unspool, in the order
// typed, in both layouts and two families; qpdf finds nothing; pdftotext
// finds every word of the right-to-left and Indic lines (it gives them in
// typed order too); and no line leaves the text raised for the next.
TEST(ShapedLines, ShowcaseComesBackExactlyAndEveryWordIsFound) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), kShowcase);
    for (const std::string font : {"Times-Roman", "Helvetica"}) {
        for (const bool selfAdapting : {false, true}) {
            SCOPED_TRACE(font + (selfAdapting ? " self-adapting" : " paginated"));
            EXPECT_EQ(convertAndUnspool(dir, configFor(font, selfAdapting)), withCrLf(kShowcase));
            const std::string pdf = dir.file("back/source.pdf");
            expectQpdfFindsNothing(pdf);

            const std::vector<std::string> lines = contentLines(readBytes(pdf));
            ASSERT_EQ(lines.size(), 8u);
            for (const std::string& line : lines) {
                const std::size_t lastRise = line.rfind(" Ts");
                if (lastRise == std::string::npos) continue;
                const std::size_t number = line.rfind(' ', lastRise - 1) + 1;
                EXPECT_EQ(line.substr(number, lastRise - number), "0") << line;
            }

            if (!haveProgram("pdftotext")) continue;
            auto text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
            ASSERT_EQ(text.exitStatus, 0) << text.err;
            const std::string found = withoutDirectionMarks(text.out);
            for (const std::string& line : {kArabic, kHebrew, kDevanagari, kMixed}) {
                for (std::string word : wordsOf(line)) {
                    // pdftotext spreads a ligature's letters over its glyph
                    // from left to right, so lam-alef, drawn right to left,
                    // comes out as alef-lam.
                    if (word == "لا") word = "ال";
                    EXPECT_NE(found.find(word), std::string::npos) << word << "\n" << found;
                }
            }
        }
    }
}

// A right-to-left line ends at the right margin (the page width less the
// left margin), a left-to-right one starts at the left margin, and a
// right-to-left line wider than the text area starts at the left margin and
// runs on past the right one; on the self-adapting page as on A4.
TEST(ShapedLines, RightToLeftLinesEndAtTheRightMargin) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += "كلمة ";
    longLine += "نهاية";
    const std::string source = "مرحبا بالعالم\nשלום עולם 123\nLeft line\n" + longLine + "\n";
    TempDir dir;
    writeBytes(dir.file("source.txt"), source);
    for (const bool selfAdapting : {false, true}) {
        SCOPED_TRACE(selfAdapting ? "self-adapting" : "A4");
        EXPECT_EQ(convertAndUnspool(dir, configFor("Times-Roman", selfAdapting)), withCrLf(source));
        const PageBoxes page = wordBoxes(dir.file("back/source.pdf"));
        ASSERT_EQ(page.lines.size(), 4u);
        const double rightMargin = page.width - 36;
        if (!selfAdapting) {
            EXPECT_EQ(page.width, 595);
        }
        auto line = page.lines.begin();
        EXPECT_NEAR(rightEnd(line->second), rightMargin, 0.5);  // Arabic
        ++line;
        EXPECT_NEAR(rightEnd(line->second), rightMargin, 0.5);  // Hebrew with a number
        ++line;
        EXPECT_NEAR(leftEnd(line->second), 36, 0.5);  // Latin
        ++line;
        // The long Arabic line: the self-adapting page is made wide enough
        // for it (its columns are wider still), so there it ends at the
        // margin too.
        if (selfAdapting) {
            EXPECT_NEAR(rightEnd(line->second), rightMargin, 0.5);
        } else {
            EXPECT_NEAR(leftEnd(line->second), 36, 0.5);
            EXPECT_GT(rightEnd(line->second), rightMargin);
        }
    }
}

// Lam and alef join into one glyph; its code stands for the lam and a code
// that draws nothing, just before it, for the alef, so extraction gives
// back both, in order.
TEST(ShapedLines, LigatureGlyphMapsBackToBothLetters) {
    TempDir dir;
    const std::string source = "لا\n";
    writeBytes(dir.file("source.txt"), source);
    EXPECT_EQ(convertAndUnspool(dir, configFor("Times-Roman")), withCrLf(source));
    const std::string pdf = readBytes(dir.file("back/source.pdf"));
    const std::vector<std::string> lines = contentLines(pdf);
    ASSERT_EQ(lines.size(), 1u);
    // One font change and two codes: "... Tf [<> -N <XXXX> M <YYYY>] TJ",
    // the second moved back by the first's width and one thousandth.
    const std::size_t array = lines[0].find(" Tf [<> -");
    ASSERT_NE(array, std::string::npos) << lines[0];
    const std::string codes = lines[0].substr(lines[0].find(" <", array + 9) + 1);
    ASSERT_EQ(codes.substr(codes.size() - 4), "] TJ") << lines[0];
    const std::size_t second = codes.rfind(" <");
    ASSERT_EQ(codes.size() - second, 11u) << lines[0];
    ASSERT_EQ(codes.find(' '), 6u) << lines[0];
    EXPECT_GT(std::stoi(codes.substr(7, second - 7)), 0) << lines[0];
    EXPECT_NE(pdf.find("<" + codes.substr(1, 4) + "> <0644>"), std::string::npos);
    EXPECT_NE(pdf.find("<" + codes.substr(second + 2, 4) + "> <0627>"), std::string::npos);
    if (haveProgram("pdftotext")) {
        auto text = runProcess({"pdftotext", "-enc", "UTF-8", dir.file("back/source.pdf"), "-"});
        // The alef's code stands before the lam's, and pdftotext turns the
        // right-to-left run around.
        EXPECT_NE(withoutDirectionMarks(text.out).find("لا"), std::string::npos) << text.out;
    }
}

// A shaped line far longer than any page is taken in pieces and still comes
// back whole, with every other line around it.
TEST(ShapedLines, EndlessShapedLineComesBackWhole) {
    std::string endless;
    while (endless.size() < 400000) endless += "سطر طويل جدا، ";
    // The second line needs shaping only past the bytes a line is taken
    // back for: it is shaped from there on.
    const std::string lateShaping = std::string(300000, 'x') + " \u0416 " + endless;
    const std::string source = "before\n" + endless + "\n" + lateShaping + "\nשלום\nafter\n";
    TempDir dir;
    writeBytes(dir.file("source.txt"), source);
    for (const bool selfAdapting : {false, true}) {
        SCOPED_TRACE(selfAdapting ? "self-adapting" : "A4");
        EXPECT_EQ(convertAndUnspool(dir, configFor("Helvetica", selfAdapting)), withCrLf(source));
        expectQpdfFindsNothing(dir.file("back/source.pdf"));
    }
}

// The streams of a document that no filter encodes (the page contents and
// the text maps), each followed by "--\r\n": what the document draws and
// what its codes mean, without the font programs of the installed faces.
std::string unfilteredStreams(const std::string& pdf) {
    std::string streams;
    for (std::size_t at = 0; (at = pdf.find("stream\r\n", at)) != std::string::npos;) {
        if (at >= 3 && pdf.compare(at - 3, 3, "end") == 0) {
            at += 9;
            continue;
        }
        const std::size_t object = pdf.rfind(" 0 obj", at);
        const std::size_t end = pdf.find("endstream", at);
        if (pdf.substr(object, at - object).find("/Filter") == std::string::npos)
            streams += pdf.substr(at + 8, end - at - 8) + "--\r\n";
        at = end + 9;
    }
    return streams;
}

// Lines that need no shaping (Cyrillic, Greek, Han and kana, box drawing,
// tabs, characters that draw nothing, one glyph for two characters, a plane
// 1 letter) are drawn exactly as before shaping came in, in both layouts:
// the expected streams were written by the release before it, and again
// when Han and kana came to be drawn from the Noto CJK faces of their own
// regions (two faces where Droid Sans Fallback drew both), and when
// Courier's columns came to be made by the widths of the codes rather than
// by moves between them, and when spaces, digits and punctuation came to
// take the face of the run they stand in (one font change a word fewer).
TEST(ShapedLines, LinesWithoutShapingNeedKeepTheirBytes) {
    const std::string data = LEAFWRIGHT_CLI_TEST_DATA;
    TempDir dir;
    writeBytes(dir.file("source.txt"), readBytes(data + "/unshaped_lines.txt"));
    for (const auto& [font, selfAdapting, expected] :
         {std::tuple{"Times-Roman", false, "times"}, std::tuple{"Courier", true, "courier"}}) {
        SCOPED_TRACE(font);
        convertAndUnspool(dir, configFor(font, selfAdapting));
        EXPECT_EQ(unfilteredStreams(readBytes(dir.file("back/source.pdf"))),
                  readBytes(data + "/unshaped_lines." + expected + ".streams"));
    }
}

}  // namespace
}  // namespace leafwright
