#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converted_text.h"
#include "core/fonts/standard_font_widths.h"
#include "pdf_expectations.h"

namespace leafwright {
namespace {

using testing::convertText;

// A page's lines as the content stream holds them, one string per line.
std::vector<std::string> contentLines(const std::string& pdf) {
    std::vector<std::string> lines;
    std::size_t at = pdf.find(" Tm\r\n");
    const std::size_t end = pdf.find("\r\nET\r\n", at);
    for (at += 5; at < end + 2;) {
        const std::size_t lineEnd = pdf.find("\r\n", at);
        lines.push_back(pdf.substr(at, lineEnd - at));
        at = lineEnd + 2;
    }
    return lines;
}

// A document of characters MacRomanEncoding has (accents, typographic
// quotes, ligatures, controls other than the tab) keeps the standard font
// and every byte it always had, in both layouts.
TEST(StandardFontDocument, WithoutTabsKeepsEveryByte) {
    const std::string source =
        "Caf\xC3\xA9 \xE2\x80\x9Cna\xC3\xAFve\xE2\x80\x9D \xEF\xAC\x81 \xE2\x84\xA2 (x)\\\n"
        "\x01\x7F ctrl\r\n\n\xC3\x85ngstr\xC3\xB6m";
    const std::vector<std::string> escaped = {"Caf\x8E \xD2na\x95ve\xD3 \xDE \xAA \\(x\\)\\\\",
                                              "\x01\x7F ctrl", "", "\x81ngstr\x9Am"};
    ConversionSettings paginated;
    EXPECT_EQ(convertText(source, paginated), testing::expectedPageTreePdf(paginated, {escaped}));
    ConversionSettings adapting;
    adapting.chosen.selfAdaptation = 1;
    const std::string pdf = convertText(source, adapting);
    EXPECT_EQ(pdf, testing::expectedSinglePagePdf(adapting, escaped));
    // The widest line is measured in bytes of its escaped string, as always:
    // 24 for the first line.
    ConversionSettings ascii;
    ascii.chosen.selfAdaptation = 1;
    convertText(std::string(24, 'x'), ascii);
    EXPECT_EQ(adapting.pageWidth, ascii.pageWidth);
}

// A tab moves the text to the next stop, 8 spaces of the font's own width
// from the line's start, as a TJ number after the tab; the tab stays in the
// string and lines without a tab are written as before.
TEST(StandardFontDocument, TabsMoveToStopsOfEightSpaces) {
    const StandardFontWidths& times = *standardFontWidths("Times-Roman");
    const int stop = 8 * times.spaceWidth();
    ASSERT_EQ(stop, 2000);
    const int a = times.width('a');
    // "word" is wider than a stop: after it the tab goes on to the third.
    const int word = times.width('w') + times.width('o') + times.width('r') + times.width('d');
    ASSERT_GT(word, stop);
    ASSERT_LT(word, 2 * stop);

    ConversionSettings settings;
    const std::string pdf = convertText("a\tb\nplain (x)\n\tword\t\t(\n\t", settings);
    EXPECT_EQ(contentLines(pdf),
              (std::vector<std::string>{
                  "(a\t)' [" + std::to_string(a - stop) + " (b)] TJ",
                  "(plain \\(x\\))'",
                  "(\t)' [-2000 (word\t) " + std::to_string(stop + word - 3 * stop) +
                      " (\t) -2000 (\\()] TJ",
                  "(\t)' [-2000 ()] TJ",
              }));
    testing::checkStructure(pdf);

    // In Courier every character is 600 wide, so a stop is 4800.
    settings.baseFont = "Courier";
    EXPECT_EQ(contentLines(convertText("abc\tx", settings)),
              (std::vector<std::string>{"(abc\t)' [-3000 (x)] TJ"}));
}

// The self-adapting page measures a tab line in columns: a tab advances to
// the next multiple of 8.
TEST(StandardFontDocument, SelfAdaptingPageCountsTabColumns) {
    ConversionSettings withTab, spaces;
    withTab.chosen.selfAdaptation = spaces.chosen.selfAdaptation = 1;
    convertText("ab\tc\n", withTab);
    convertText("abcdefghi\n", spaces);  // 9 columns, as "ab" + tab + "c"
    EXPECT_EQ(withTab.pageWidth, spaces.pageWidth);
    EXPECT_EQ(withTab.pageHeight, spaces.pageHeight);
}

}  // namespace
}  // namespace leafwright
