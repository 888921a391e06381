// Headers, footers and line numbers on fixed pages, judged from outside:
// where pdftotext -bbox finds each word, qpdf --check, and the layout of the
// content streams that text extraction relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/converted_documents.h"
#include "support/pdf_structure.h"
#include "support/pdftotext_boxes.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

// The content streams of an uncompressed document, in page order.
// After the body's text object, only artifact blocks, each made of whole
// text objects and saved graphics states (a path never inside a text
// object). Returns the blocks.
std::vector<std::string> artifactsAfterBody(const std::string& content) {
    std::vector<std::string> blocks;
    const std::size_t bodyEnd = content.find("\r\nET\r\n");
    EXPECT_NE(bodyEnd, std::string::npos);
    EXPECT_EQ(content.substr(0, bodyEnd).find("Artifact"), std::string::npos);
    const std::string open = "/Artifact BMC\r\n", close = "EMC\r\n";
    std::size_t at = bodyEnd + 6;
    while (at < content.size()) {
        const std::size_t end = content.find(close, at);
        EXPECT_NE(end, std::string::npos) << content.substr(at);
        if (end == std::string::npos) break;
        const std::string block = content.substr(at, end + close.size() - at);
        EXPECT_EQ(block.rfind(open, 0), 0u) << block;
        std::string_view inside(block);
        inside = inside.substr(open.size(), inside.size() - open.size() - close.size());
        EXPECT_FALSE(inside.empty()) << block;
        // The furniture no page changes, drawn by the form the page calls.
        if (inside.starts_with("/Fu Do\r\n")) inside.remove_prefix(8);
        while (!inside.empty()) {
            const bool text = inside.starts_with("BT\r\n");
            const bool path = inside.starts_with("q\r\n");
            const std::size_t last = inside.find(text ? "\r\nET\r\n" : "\r\nQ\r\n");
            if (!(text || path) || last == std::string_view::npos) {
                ADD_FAILURE() << "not a text object or a saved state: " << inside;
                break;
            }
            const std::string_view whole = inside.substr(0, last + (text ? 6 : 5));
            if (text) {
                EXPECT_EQ(whole.find(" l\r\n"), std::string_view::npos) << block;
            } else {
                EXPECT_EQ(whole.find("BT"), std::string_view::npos) << block;
            }
            inside.remove_prefix(whole.size());
        }
        blocks.push_back(block);
        at = end + close.size();
    }
    return blocks;
}

std::string numbered(int count) {
    std::string source;
    for (int i = 1; i <= count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "w%03d body (text) of the line\n", i);
        source += line;
    }
    return source;
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

TEST(PageFurniture, HeaderFooterAndNumbersStandWhereTheyBelong) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    writeBytes(dir.file("source.txt"), numbered(120));
    auto convert =
        runProcess({LEAFWRIGHT_CLI, "convert", "--title", "Caf\xC3\xA9 (\xC3\x98)",
                    "--header={file}|{title}|{page}/{pages}", "--footer=[{page:03}]||{{end}}",
                    "--line-numbers=10", "--line-number-start=1", "source.txt"},
                   dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const std::string pdf = dir.file("source.pdf");
    expectQpdfFindsNothing(pdf);

    // 49 rows a page less the header's and the footer's: 47 lines a page.
    const std::vector<Word> words = wordsOf(pdf);
    std::map<int, std::vector<Word>> body, numbers, furniture;
    std::map<std::string, Word> rowStart;  // "w001" -> its word
    for (const Word& w : words) {
        if (w.text.size() == 4 && w.text[0] == 'w' && isNumber(w.text.substr(1)))
            rowStart[w.text] = w;
        const bool inBody = rowStart.count(w.text) || w.text == "body" || w.text == "(text)" ||
                            w.text == "of" || w.text == "the" || w.text == "line";
        (inBody ? body : isNumber(w.text) ? numbers : furniture)[w.page].push_back(w);
    }
    ASSERT_EQ(rowStart.size(), 120u);
    EXPECT_EQ(rowStart["w047"].page, 1);
    EXPECT_EQ(rowStart["w048"].page, 2);
    EXPECT_EQ(rowStart["w120"].page, 3);

    const double gutter = 4 * 0.5 * 14 * 0.8;  // "120" and one digit more, Times at 11.2
    for (int page = 1; page <= 3; ++page) {
        std::vector<std::string> texts;
        for (const Word& w : furniture[page]) texts.push_back(w.text);
        const std::string count = std::to_string(page) + "/3";
        const std::string padded = "[00" + std::to_string(page) + "]";
        EXPECT_EQ(texts, (std::vector<std::string>{"source.txt", "Caf\xC3\xA9", "(\xC3\x98)", count,
                                                   padded, "{end}"}));
        const Word& left = furniture[page][0];
        const Word& right = furniture[page][3];
        EXPECT_NEAR(left.xMin, 36, 0.5);
        EXPECT_NEAR(right.xMax, 595 - 36, 0.5);
        EXPECT_NEAR(furniture[page][5].xMax, 595 - 36, 0.5);
        // The title stands in the middle of the page.
        EXPECT_NEAR((furniture[page][1].xMin + furniture[page][2].xMax) / 2, 595 / 2.0, 0.5);
        double bodyTop = 1e9, bodyBottom = 0;
        for (const Word& w : body[page]) {
            bodyTop = std::min(bodyTop, w.yMin);
            bodyBottom = std::max(bodyBottom, w.yMax);
            EXPECT_GE(w.xMin, 36 + gutter - 0.5) << w.text;
        }
        // Header above the text, footer below, neither overlapping it.
        for (int i = 0; i < 3; ++i) EXPECT_LT(furniture[page][i].yMax, bodyTop);
        for (int i = 4; i < 6; ++i) EXPECT_GT(furniture[page][i].yMin, bodyBottom);
        EXPECT_NEAR(left.yMax, 842 - (806 - 16.1), 3.5);  // on the first row
    }
    // Every tenth line from the first carries its number on its own row,
    // right-aligned one digit short of the text.
    std::set<std::string> shown;
    for (const auto& [page, list] : numbers) {
        for (const Word& w : list) {
            shown.insert(w.text);
            char name[8];
            std::snprintf(name, sizeof name, "w%03d", std::stoi(w.text));
            const Word& row = rowStart[name];
            EXPECT_EQ(row.page, page) << w.text;
            EXPECT_NEAR(w.yMax, row.yMax, 3) << w.text;
            EXPECT_NEAR(w.xMax, 36 + gutter - 0.5 * 11.2, 0.5) << w.text;
        }
    }
    EXPECT_EQ(shown, (std::set<std::string>{"1", "11", "21", "31", "41", "51", "61", "71", "81",
                                            "91", "101", "111"}));

    const std::vector<std::string> streams = contentStreams(readBytes(pdf));
    ASSERT_EQ(streams.size(), 3u);
    for (const std::string& content : streams) {
        // The header, the footer, their rules and the numbers in one block:
        // the form that draws the rules and the texts no page changes, then
        // one text object.
        const std::vector<std::string> blocks = artifactsAfterBody(content);
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].find("/Artifact BMC\r\n/Fu Do\r\nBT\r\n"), 0u) << blocks[0];
        EXPECT_EQ(occurrences(blocks[0], " l\r\n"), 0u) << blocks[0];
        EXPECT_EQ(occurrences(blocks[0], "BT\r\n"), 1u) << blocks[0];
        EXPECT_NE(content.find("1 0 0 1 58.4 789.9 Tm"), std::string::npos);
    }
}

// On wrapped pages a number stands on its line's first row only, level with
// the line's first word, every row's text right of the gutter, and the
// header counts the pages the rows fill.
TEST(PageFurniture, WrappedLinesAreNumberedOnTheirFirstRowOnly) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    std::string source;
    for (int i = 1; i <= 60; ++i) {
        char first[16];
        std::snprintf(first, sizeof first, "w%03d", i);
        source += first;
        for (int k = 0; k < (i % 3) * 20; ++k) source += " word";
        source += "\n";
    }
    writeBytes(dir.file("source.txt"), source);
    auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "--wrap=word",
                               "--header=||{page}/{pages}", "--line-numbers=1", "source.txt"},
                              dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const std::string pdf = dir.file("source.pdf");
    expectQpdfFindsNothing(pdf);

    std::map<std::string, Word> rowStart;
    std::vector<Word> numbers, counts;
    double leftmostBody = 1e9;
    for (const Word& w : wordsOf(pdf)) {
        if (w.text.size() == 4 && w.text[0] == 'w' && isNumber(w.text.substr(1))) {
            rowStart[w.text] = w;
            leftmostBody = std::min(leftmostBody, w.xMin);
        } else if (isNumber(w.text)) {
            numbers.push_back(w);
        } else if (w.text.find('/') != std::string::npos) {
            counts.push_back(w);
        } else if (w.text == "word") {
            leftmostBody = std::min(leftmostBody, w.xMin);
        }
    }
    ASSERT_EQ(rowStart.size(), 60u);
    ASSERT_EQ(numbers.size(), 60u);  // one a source line, however many rows it takes
    for (const Word& w : numbers) {
        char name[8];
        std::snprintf(name, sizeof name, "w%03d", std::stoi(w.text));
        EXPECT_EQ(rowStart[name].page, w.page) << w.text;
        EXPECT_NEAR(rowStart[name].yMax, w.yMax, 3) << w.text;
        EXPECT_LT(w.xMax, leftmostBody) << w.text;
    }
    ASSERT_FALSE(counts.empty());
    const std::string pages = counts.back().text.substr(counts.back().text.find('/') + 1);
    EXPECT_EQ(std::to_string(counts.back().page), pages);
    EXPECT_GT(std::stoi(pages), 2);  // 60 lines alone would fill two pages
}

// Without rules, without numbers on a page, with an empty field: only what
// is drawn is written, in the standard font and in embedded fonts alike.
TEST(PageFurniture, WritesOnlyWhatIsDrawn) {
    TempDir dir;
    writeBytes(dir.file("plain.txt"), numbered(60));
    writeBytes(dir.file("wide.txt"), "\xD0\x96 " + numbered(60));
    auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "--header-rule=FALSE",
                               "--footer=||{page}", "--line-numbers=50", "plain.txt", "wide.txt"},
                              dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    expectQpdfFindsNothing(dir.file("plain.pdf"));
    expectQpdfFindsNothing(dir.file("wide.pdf"));

    const std::vector<std::string> plain = contentStreams(readBytes(dir.file("plain.pdf")));
    ASSERT_EQ(plain.size(), 2u);  // 48 lines a page
    const std::vector<std::string> first = artifactsAfterBody(plain[0]);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].find("q\r\n"), std::string::npos);  // no rule
    EXPECT_EQ(occurrences(first[0], "(1)Tj"), 2u);         // the page's and line 1's number
    EXPECT_EQ(occurrences(first[0], ")"), 2u) << first[0];
    const std::vector<std::string> second = artifactsAfterBody(plain[1]);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(second[0].find("(2)Tj"), std::string::npos);
    EXPECT_NE(second[0].find("(51)Tj"), std::string::npos);
    EXPECT_EQ(occurrences(second[0], ")"), 2u) << second[0];

    const std::string wide = readBytes(dir.file("wide.pdf"));
    EXPECT_NE(wide.find("/Count 2"), std::string::npos);
    const std::vector<std::string> embedded = contentStreams(wide);
    ASSERT_EQ(embedded.size(), 2u);
    const std::vector<std::string> footer = artifactsAfterBody(embedded[0]);
    ASSERT_EQ(footer.size(), 2u);
    EXPECT_NE(footer[0].find("> Tj"), std::string::npos);
    EXPECT_EQ(footer[0].find(") Tj"), std::string::npos);  // no Mac OS Roman string
    EXPECT_NE(footer[1].find("0.5 g"), std::string::npos);
    EXPECT_EQ(artifactsAfterBody(embedded[1]).size(), 2u);
}

// Every font pdffonts lists is embedded (its "emb" column, fifth from the
// end, says yes).
void expectEveryFontEmbedded(const std::string& pdf) {
    if (!haveProgram("pdffonts")) return;
    const ProcessResult fonts = runProcess({"pdffonts", pdf});
    ASSERT_EQ(fonts.exitStatus, 0) << fonts.err;
    const std::vector<std::string> lines = splitLines(fonts.out);
    ASSERT_GT(lines.size(), 2u) << fonts.out;  // a heading and a rule first
    for (std::size_t i = 2; i < lines.size(); ++i) {
        std::istringstream in(lines[i]);
        const std::vector<std::string> columns{std::istream_iterator<std::string>(in), {}};
        if (columns.empty()) continue;
        ASSERT_GE(columns.size(), 6u) << lines[i];
        EXPECT_EQ(columns[columns.size() - 5], "yes") << lines[i];
    }
}

// Unspool gives the source back exactly, with CR LF line ends.
void expectUnspooled(const TempDir& dir, const std::string& pdf, const std::string& source) {
    const ProcessResult back =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--force", "-o", "back.txt", pdf}, dir.path());
    ASSERT_EQ(back.exitStatus, 0) << back.err;
    EXPECT_EQ(readBytes(dir.file("back.txt")), withCrLf(source)) << pdf;
}

// Lines of Chinese without spaces, each led by its own tag ("L001").
std::string chineseLines(int count) {
    const std::vector<std::string> characters = {"\u6587", "\u5B57", "\u9875", "\u7801",
                                                 "\u884C", "\u53F7", "\u4E66", "\u5199",
                                                 "\u6D4B", "\u8BD5", "\u7684", "\u4E86"};
    std::string source;
    for (int i = 1; i <= count; ++i) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "L%03d ", i);
        source += tag;
        for (int k = 0; k < 3 + (i * 7) % 19; ++k)
            source += characters[static_cast<std::size_t>(i * 5 + k * 3) % characters.size()];
        source += "\n";
    }
    return source;
}

std::vector<Word> onPage(const std::vector<Word>& words, int page, const std::string& text) {
    std::vector<Word> found;
    for (const Word& w : words)
        if (w.page == page && w.text == text) found.push_back(w);
    return found;
}

// A text in Chinese with a Chinese file name: the header's fields and the
// line numbers are drawn with the body's embedded fonts, placed by their
// advances (the name at the left margin, the count centred, the date ending
// at the right margin, every number ending one digit short of the text),
// the numbers grey, and the body comes back exactly.
TEST(PageFurniture, EmbeddedFontsShowHeaderAndNumbersOfAChineseText) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    const std::string name = "\u7B14\u8BB0.txt";
    const std::string source = chineseLines(100);
    writeBytes(dir.file(name), source);
    auto convert = runProcess({"env", "SOURCE_DATE_EPOCH=1700000000", LEAFWRIGHT_CLI, "convert",
                               "--header={file}|{page}/{pages}|{date}", "--line-numbers=10", name},
                              dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const std::string pdf = dir.file("\u7B14\u8BB0.pdf");
    expectQpdfFindsNothing(pdf);
    expectEveryFontEmbedded(pdf);

    const std::vector<Word> words = wordsOf(pdf);
    std::map<std::string, Word> rowStart;
    for (const Word& w : words)
        if (w.text.size() == 4 && w.text[0] == 'L') rowStart[w.text] = w;
    ASSERT_EQ(rowStart.size(), 100u);
    EXPECT_EQ(rowStart["L048"].page, 1);  // 49 rows less the header's
    EXPECT_EQ(rowStart["L049"].page, 2);
    const double gutter = 4 * 0.5 * 14 * 0.8;  // "100" and one digit more
    for (const auto& [tag, w] : rowStart) EXPECT_NEAR(w.xMin, 36 + gutter, 0.5) << tag;
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const std::vector<Word> file = onPage(words, page, name);
        const std::vector<Word> count = onPage(words, page, std::to_string(page) + "/3");
        const std::vector<Word> date = onPage(words, page, "2023-11-14");
        ASSERT_EQ(file.size(), 1u);
        ASSERT_EQ(count.size(), 1u);
        ASSERT_EQ(date.size(), 1u);
        EXPECT_NEAR(file[0].xMin, 36, 0.5);
        EXPECT_NEAR((count[0].xMin + count[0].xMax) / 2, 595 / 2.0, 0.5);
        EXPECT_NEAR(date[0].xMax, 595 - 36, 0.5);
        EXPECT_NEAR(file[0].yMax, date[0].yMax, 1);
    }
    std::set<std::string> shown;
    for (const Word& w : words) {
        if (!isNumber(w.text) || w.xMax > 36 + gutter) continue;
        shown.insert(w.text);
        char tag[8];
        std::snprintf(tag, sizeof tag, "L%03d", std::stoi(w.text));
        EXPECT_EQ(rowStart[tag].page, w.page) << w.text;
        EXPECT_NEAR(rowStart[tag].yMax, w.yMax, 3) << w.text;
        EXPECT_NEAR(w.xMax, 36 + gutter - 0.5 * 11.2, 0.5) << w.text;
    }
    EXPECT_EQ(shown,
              (std::set<std::string>{"1", "11", "21", "31", "41", "51", "61", "71", "81", "91"}));
    const std::vector<std::string> streams = contentStreams(readBytes(pdf));
    ASSERT_EQ(streams.size(), 3u);
    for (std::size_t page = 0; page < 2; ++page) {
        const std::vector<std::string> blocks = artifactsAfterBody(streams[page]);
        ASSERT_EQ(blocks.size(), 3u);  // the header, its rule, the numbers
        EXPECT_NE(blocks[2].find("0.5 g"), std::string::npos);
    }
    EXPECT_EQ(artifactsAfterBody(streams[2]).size(), 2u);  // lines 97 to 100 show no number
    std::filesystem::remove(dir.file(name));
    expectUnspooled(dir, pdf, source);
}

// A header holding Greek and Chinese makes a Latin text's document use
// embedded fonts, as such a body would, alone and combined with others; a
// header in Mac OS Roman keeps the standard font.
TEST(PageFurniture, AHeaderBeyondMacRomanEmbedsTheFonts) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    const std::string source = numbered(60);
    writeBytes(dir.file("latin.txt"), source);
    writeBytes(dir.file("\u03B2.txt"), source);
    auto greek = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force",
         "--header=\u03A3\u03B5\u03BB\u03AF\u03B4\u03B1 {page}|\u9801 {page}|", "latin.txt"},
        dir.path());
    ASSERT_EQ(greek.exitStatus, 0) << greek.err;
    expectQpdfFindsNothing(dir.file("latin.pdf"));
    expectEveryFontEmbedded(dir.file("latin.pdf"));
    const std::vector<Word> words = wordsOf(dir.file("latin.pdf"));
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const std::vector<Word> greekWord =
            onPage(words, page, "\u03A3\u03B5\u03BB\u03AF\u03B4\u03B1");
        const std::vector<Word> chinese = onPage(words, page, "\u9801");
        ASSERT_EQ(greekWord.size(), 1u);
        ASSERT_EQ(chinese.size(), 1u);
        EXPECT_NEAR(greekWord[0].xMin, 36, 0.5);
        // "頁 1" stands in the middle of the page.
        const std::vector<Word> number = onPage(words, page, std::to_string(page));
        ASSERT_FALSE(number.empty());
        double right = 0;
        for (const Word& w : number)
            if (w.xMin > chinese[0].xMax && std::abs(w.yMax - chinese[0].yMax) < 1) right = w.xMax;
        EXPECT_NEAR((chinese[0].xMin + right) / 2, 595 / 2.0, 0.5);
    }
    expectUnspooled(dir, "latin.pdf", source);

    auto roman = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--header=Seite {page} \u2014 \u00C5", "latin.txt"},
        dir.path());
    ASSERT_EQ(roman.exitStatus, 0) << roman.err;
    const std::string standard = readBytes(dir.file("latin.pdf"));
    EXPECT_NE(standard.find("/BaseFont /Times-Roman"), std::string::npos);
    EXPECT_EQ(standard.find("/FontFile"), std::string::npos);

    // Only the second file's name is beyond Mac OS Roman.
    auto combine =
        runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--header={file}|{page}/{pages}|",
                    "--line-numbers=5", "--combine", "book.pdf", "latin.txt", "\u03B2.txt"},
                   dir.path());
    ASSERT_EQ(combine.exitStatus, 0) << combine.err;
    expectQpdfFindsNothing(dir.file("book.pdf"));
    expectEveryFontEmbedded(dir.file("book.pdf"));
    const std::vector<Word> book = wordsOf(dir.file("book.pdf"));
    for (int page = 1; page <= 4; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(onPage(book, page, page <= 2 ? "latin.txt" : "\u03B2.txt").size(), 1u);
        EXPECT_EQ(onPage(book, page, std::to_string((page - 1) % 2 + 1) + "/2").size(), 1u);
        EXPECT_FALSE(onPage(book, page, std::to_string(page % 2 == 1 ? 1 : 51)).empty());
    }
    expectUnspooled(dir, "book.pdf", source + source);
}

// Right-to-left lines end at the right margin; their numbers stand in the
// gutter, all ending at one place, each level with its line; the header
// holds shaped Arabic.
TEST(PageFurniture, AnArabicTextIsNumbered) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    const std::vector<std::string> arabic = {"\u0645\u0631\u062D\u0628\u0627", "\u0633\u0637\u0631",
                                             "\u0643\u062A\u0627\u0628",
                                             "\u0639\u0631\u0628\u064A"};
    std::string source;
    for (int i = 1; i <= 30; ++i) {
        for (int k = 0; k < 2 + i % 5; ++k) source += (k ? " " : "") + arabic[(i + k) % 4];
        source += "\n";
    }
    writeBytes(dir.file("arabic.txt"), source);
    auto convert =
        runProcess({LEAFWRIGHT_CLI, "convert", "--header=\u0635\u0641\u062D\u0629 {page}||{file}",
                    "--line-numbers=2", "arabic.txt"},
                   dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const std::string pdf = dir.file("arabic.pdf");
    expectQpdfFindsNothing(pdf);
    expectEveryFontEmbedded(pdf);
    const std::vector<Word> words = wordsOf(pdf);
    const double gutter = 3 * 0.5 * 14 * 0.8;  // "30" and one digit more
    // The Arabic face's boxes reach further up and down than the digits'.
    auto middle = [](const Word& w) { return (w.yMin + w.yMax) / 2; };
    const std::vector<Word> file = onPage(words, 1, "arabic.txt");
    ASSERT_EQ(file.size(), 1u);
    EXPECT_NEAR(file[0].xMax, 595 - 36, 0.5);
    std::vector<Word> numbers, body;
    for (const Word& w : words) {
        if (middle(w) < middle(file[0]) + 5) continue;  // the header
        (isNumber(w.text) && w.xMax < 36 + gutter ? numbers : body).push_back(w);
    }
    ASSERT_EQ(numbers.size(), 15u);
    double rightmost = 0;
    for (const Word& w : body) rightmost = std::max(rightmost, w.xMax);
    EXPECT_NEAR(rightmost, 595 - 36, 1);
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        EXPECT_EQ(numbers[k].text, std::to_string(2 * k + 1));
        EXPECT_NEAR(numbers[k].xMax, 36 + gutter - 0.5 * 11.2, 0.5) << numbers[k].text;
        bool level = false;
        for (const Word& w : body) level = level || std::abs(middle(w) - middle(numbers[k])) < 2;
        EXPECT_TRUE(level) << numbers[k].text;
        if (k > 0) {
            EXPECT_GT(numbers[k].yMin, numbers[k - 1].yMax) << numbers[k].text;
        }
    }
    std::filesystem::remove(dir.file("arabic.txt"));
    expectUnspooled(dir, pdf, source);
}

// Fields too wide for the band (a deep path, a long title, a long text
// beside the page number) are cut short, ending in an ellipsis: every word of
// the header and the footer stays on the page, between the margins, apart
// from the others, in the standard font and in embedded fonts, alone and
// combined, while the page numbers stay whole and the body comes back.
TEST(PageFurniture, FieldsTooWideForTheBandAreCutShort) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    std::string folder = "deep";
    for (int k = 0; k < 12; ++k) folder += "/folder-" + std::to_string(k);
    std::filesystem::create_directories(dir.file(folder));
    const std::string source = numbered(60);
    const std::string latin = folder + "/latin.txt", greek = folder + "/greek.txt";
    writeBytes(dir.file(latin), source);
    writeBytes(dir.file(greek), "\u03B1\u03B2\u03B3 " + source);
    const std::string title = "A title that goes on and on " + std::string(60, 'x');
    const std::vector<std::string> options = {
        "--title=" + title, "--header={path}|{title}|{page}/{pages}",
        "--footer=Printed from {path} on {date}, page {page}||{file}"};
    struct Made {
        std::string pdf, source;
        int pages;
    };
    std::vector<Made> made;
    for (const std::string& text : {latin, greek}) {
        std::vector<std::string> args = {LEAFWRIGHT_CLI, "convert", "--force"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(dir.file(text));
        const ProcessResult convert = runProcess(args, dir.path());
        ASSERT_EQ(convert.exitStatus, 0) << convert.err;
        made.push_back({dir.file(text.substr(0, text.size() - 3) + "pdf"),
                        text == latin ? source : "\u03B1\u03B2\u03B3 " + source, 2});
    }
    std::vector<std::string> args = {LEAFWRIGHT_CLI, "convert", "--force"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"--combine", "book.pdf", dir.file(latin), dir.file(greek)});
    const ProcessResult combine = runProcess(args, dir.path());
    ASSERT_EQ(combine.exitStatus, 0) << combine.err;
    made.push_back({dir.file("book.pdf"), "", 4});

    const std::string ellipsis = "\u2026";
    for (const Made& m : made) {
        SCOPED_TRACE(m.pdf);
        expectQpdfFindsNothing(m.pdf);
        const std::vector<Word> words = wordsOf(m.pdf);
        for (int page = 1; page <= m.pages; ++page) {
            SCOPED_TRACE(page);
            // The header's row and the footer's, above and below the body.
            std::map<int, std::vector<Word>> bands;
            for (const Word& w : words)
                if (w.page == page && (w.yMax < 56.5 || w.yMin > 814))
                    bands[w.yMax < 56.5 ? 0 : 1].push_back(w);
            ASSERT_EQ(bands.size(), 2u);
            int cuts = 0;
            for (auto& [band, row] : bands) {
                std::sort(row.begin(), row.end(),
                          [](const Word& a, const Word& b) { return a.xMin < b.xMin; });
                for (std::size_t k = 0; k < row.size(); ++k) {
                    EXPECT_GE(row[k].xMin, 36 - 0.05) << row[k].text;
                    EXPECT_LE(row[k].xMax, 559 + 0.05) << row[k].text;
                    if (k > 0) {
                        EXPECT_GT(row[k].xMin, row[k - 1].xMax) << row[k].text;
                    }
                    if (row[k].text.ends_with(ellipsis)) ++cuts;
                }
            }
            // The path, the title and the footer's text are cut; the path
            // and the page's number still show how they start.
            EXPECT_EQ(cuts, 3);
            const std::string path = bands[0].front().text;
            ASSERT_TRUE(path.ends_with(ellipsis)) << path;
            EXPECT_GE(path.size(), 20u + ellipsis.size()) << path;
            EXPECT_TRUE(dir.file(folder).starts_with(path.substr(0, path.size() - ellipsis.size())))
                << path;
            EXPECT_EQ(bands[0].back().text, std::to_string((page - 1) % 2 + 1) + "/2");
            EXPECT_EQ(bands[1].front().text, "Printed");
            EXPECT_TRUE(bands[1].back().text.ends_with(".txt")) << bands[1].back().text;
        }
        if (!m.source.empty()) expectUnspooled(dir, m.pdf, m.source);
    }
}

// In embedded fonts a character takes its code when first laid out, so the
// furniture's digits are numbered in the order the pages show them: on the
// first page of twelve, "1/12" gives "1" a lower code than "/" and "/" a
// lower one than "2" (a body without digits leaves them to the header).
TEST(PageFurniture, EmbeddedFontsLearnTheHeaderInPageOrder) {
    TempDir dir;
    std::string source;
    for (int i = 0; i < 12 * 48; ++i) source += "\u0416\u0438\u0432\u0443 line\n";
    writeBytes(dir.file("cyrillic.txt"), source);
    auto convert = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--header=||{page}/{pages}", "cyrillic.txt"},
        dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const std::vector<std::string> pages = contentStreams(readBytes(dir.file("cyrillic.pdf")));
    ASSERT_EQ(pages.size(), 12u);
    const std::vector<std::string> blocks = artifactsAfterBody(pages[0]);
    ASSERT_FALSE(blocks.empty());
    const std::size_t open = blocks[0].find('<'), close = blocks[0].find('>');
    ASSERT_NE(close, std::string::npos) << blocks[0];
    const std::string codes = blocks[0].substr(open + 1, close - open - 1);
    ASSERT_EQ(codes.size(), 16u) << blocks[0];  // "1/12", four codes of four digits
    EXPECT_EQ(codes.substr(0, 4), codes.substr(8, 4)) << codes;
    EXPECT_LT(codes.substr(0, 4), codes.substr(4, 4)) << codes;
    EXPECT_LT(codes.substr(4, 4), codes.substr(12, 4)) << codes;
}

TEST(PageFurniture, FaultyTemplatesAreRefusedBeforeAnyFile) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), "text\n");
    auto option =
        runProcess({LEAFWRIGHT_CLI, "convert", "--header=Page {pgae}", "source.txt"}, dir.path());
    EXPECT_EQ(option.exitStatus, 2);
    EXPECT_NE(option.err.find("{pgae} is not a placeholder"), std::string::npos) << option.err;
    writeBytes(dir.file("settings.tcf"), withCrLf(configFor("Times-Roman") + "footer={page:3}\n"));
    auto file = runProcess({LEAFWRIGHT_CLI, "convert", "--config", "settings.tcf", "source.txt"},
                           dir.path());
    EXPECT_EQ(file.exitStatus, 2);
    EXPECT_NE(file.err.find("settings.tcf"), std::string::npos) << file.err;
    EXPECT_NE(file.err.find("line 13"), std::string::npos) << file.err;
    EXPECT_NE(file.err.find("{page:3}"), std::string::npos) << file.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("source.pdf")));
}

}  // namespace
}  // namespace leafwright::testing
