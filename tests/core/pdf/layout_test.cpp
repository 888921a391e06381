#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <thread>

#include "converted_text.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/text_measure.h"
#include "pdf_expectations.h"
#include "support/fileless_face.h"

namespace leafwright {
namespace {

using testing::convertText;
using testing::TempDir;
using testing::writeBytes;

ConversionSettings selfAdapting() {
    ConversionSettings settings;
    settings.chosen.selfAdaptation = 1;
    return settings;
}

TEST(TextMeasure, ModelsCourierNewOnAScreen) {
    TextMeasure size14(14);  // height 20, 19 pixels per em
    EXPECT_EQ(size14.advance(), 11);
    // Height 13, 12 pixels per em: 7.2 pixels, rounded down.
    EXPECT_EQ(TextMeasure(9).advance(), 7);
    // Height 34, 33 pixels per em: 19.8 pixels, rounded up.
    EXPECT_EQ(TextMeasure(24).advance(), 20);
    EXPECT_EQ(size14.extent(2), 23);
    EXPECT_EQ(size14.widthInPoints(2), 17);
    EXPECT_EQ(size14.widthInPoints(0), 1);
    TextMeasure size4(4);  // h 6, ppem 6, adv 4
    EXPECT_EQ(size4.advance(), 4);
    EXPECT_EQ(size4.extent(10), 42);  // (4000 + 48) / 96
    EXPECT_EQ(size4.widthInPoints(10), 31);
}

TEST(SelfAdaptingLayout, EmptySourceGivesTheMarginsOnly) {
    ConversionSettings settings = selfAdapting();
    convertText("", settings);
    EXPECT_EQ(settings.pageWidth, "96");
    EXPECT_EQ(settings.pageHeight, "51");
    EXPECT_EQ(settings.textTop, "15");
    EXPECT_EQ(settings.textLeft, "36");
}

TEST(SelfAdaptingLayout, HeightGrowsByTheLeadingCutAfterMultiplying) {
    ConversionSettings settings = selfAdapting();
    convertText("Hi\n", settings);
    EXPECT_EQ(settings.pageHeightValue, 67);
    EXPECT_EQ(settings.textTop, "31");
    EXPECT_EQ(settings.textTopValue, 31);
    convertText("a\nb\nc\n", settings);
    EXPECT_EQ(settings.pageHeight, "99");

    ConversionSettings small = selfAdapting();
    small.fontSizeValue = 4;
    small.fontSizeText = "4";
    small.leadingValue = 4.6;
    small.leadingText = "4.6";
    convertText("1\n2\n3\n4\n5\n", small);
    EXPECT_EQ(small.pageHeightValue, 23 + 36 + 15);  // 5 x 4.6 is 23 in double precision
}

TEST(SelfAdaptingLayout, WidthComesFromTheWidestEscapedLine) {
    ConversionSettings settings = selfAdapting();
    convertText("\n", settings);  // an empty line counts and is 1 point wide
    EXPECT_EQ(settings.pageHeightValue, 16 + 36 + 15);
    EXPECT_EQ(settings.pageWidthValue, 1 + 36 + 60);

    ConversionSettings parens = selfAdapting(), letters = selfAdapting();
    convertText("x\n((((\ny\n", parens);
    convertText("aaaaaaaa\n", letters);
    EXPECT_EQ(parens.pageWidthValue, letters.pageWidthValue);
    EXPECT_EQ(letters.pageWidthValue, TextMeasure(14).widthInPoints(8) + 96);

    // A UTF-8 character is one byte once encoded.
    ConversionSettings accented = selfAdapting();
    convertText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\n", accented);
    EXPECT_EQ(accented.pageWidthValue, letters.pageWidthValue);
}

TEST(SelfAdaptingLayout, BaseFontDoesNotChangeTheWidth) {
    ConversionSettings times = selfAdapting(), helvetica = selfAdapting();
    helvetica.baseFont = "Helvetica";
    convertText("Some text of a line\n", times);
    convertText("Some text of a line\n", helvetica);
    EXPECT_EQ(times.pageWidth, helvetica.pageWidth);
}

TEST(SelfAdaptingLayout, LeftMarginAndTopMarginPlaceTheText) {
    ConversionSettings settings = selfAdapting();
    settings.leftMarginValue = 0;
    settings.topMarginValue = 100;
    std::string pdf = convertText("Hi\n", settings);
    EXPECT_EQ(settings.pageHeightValue, 16 + 100 + 15);
    EXPECT_EQ(settings.pageWidthValue, 17 + 0 + 60);
    EXPECT_NE(pdf.find("1 0 0 1 0 31 Tm"), std::string::npos);
}

// A shaped line is as wide as the larger of its columns and its drawn
// width (+ 1 point); lines that are not shaped count their columns only.
TEST(SelfAdaptingLayout, ShapedLineIsAsWideAsItIsDrawn) {
    auto widthFor = [](const std::string& text) {
        TempDir dir;
        writeBytes(dir.file("source.txt"), text);
        // Hebrew letters 3 em wide, the other characters half an em.
        testing::FilelessProvider provider(testing::FilelessFace(
            0x800, [](GlyphId glyph) { return glyph >= 0x5D0 && glyph <= 0x5EA ? 3000 : 500; }));
        ConversionSettings settings = selfAdapting();
        convertSource(dir.file("source.txt"), dir.file("source.pdf"), settings, {}, &provider);
        return settings.pageWidthValue;
    };
    // Two letters of 3 em at 14 points: 84 points drawn, in two columns.
    EXPECT_EQ(widthFor("\u05D0\u05D1\n"), 84 + 1 + 36 + 60);
    // Narrow shaped lines and lines without shaping go by their columns.
    const std::string narrow = "\u0410\u0301\u0410\u0301\u0410\u0301\u0410";
    EXPECT_EQ(widthFor(narrow + "\n"), TextMeasure(14).widthInPoints(4) + 96);
    const std::string cyrillic(24, 'x');
    EXPECT_EQ(widthFor("\u0416" + cyrillic + "\n\u05D0\u05D1\n"),
              TextMeasure(14).widthInPoints(25) + 96);
}

// The warning counts each character no face has once, in either layout,
// however often the page's lines are read: a self-adapting page with lines
// right to left measures them twice.
TEST(NotPrintableCharacters, CountOnceInEitherLayout) {
    auto countFor = [](int selfAdaptation) {
        TempDir dir;
        // A shaped right-to-left line and a line without shaping, each with
        // a character past the face's glyphs.
        writeBytes(dir.file("source.txt"), "\u05D0\u4E00\u05D1\n\u0416\u4E01 \u4E01\n");
        testing::FilelessProvider provider(testing::FilelessFace(0x800));
        ConversionSettings settings;
        settings.chosen.selfAdaptation = selfAdaptation;
        return convertSource(dir.file("source.txt"), dir.file("source.pdf"), settings, {},
                             &provider)
            .notPrintable;
    };
    EXPECT_EQ(countFor(1), 3u);
    EXPECT_EQ(countFor(0), 3u);
}

TEST(PaginatedLayout, LineCapacity) {
    ConversionSettings settings;
    EXPECT_EQ(lineCapacity(settings), 49);
    settings.pageHeightValue = 612;
    EXPECT_EQ(lineCapacity(settings), 34);
    settings.topMarginValue = 612;
    EXPECT_EQ(lineCapacity(settings), -1);
    settings.topMarginValue = 612 - 32;  // trunc(32 / 16.1) - 1 = 0
    EXPECT_EQ(lineCapacity(settings), 0);
    settings.topMarginValue = 612 - 33;  // two leadings fit: one line
    EXPECT_EQ(lineCapacity(settings), 1);
}

TEST(PaginatedLayout, MoreThan364PagesKeepTheNumberingAndTable) {
    testing::TempDir dir;
    ConversionSettings settings;
    testing::writeBytes(dir.file("long.txt"), testing::numberedLines(49 * 400 + 1));
    convertFile(dir.file("long.txt"), dir.file("long.pdf"), settings);
    std::string pdf = testing::readBytes(dir.file("long.pdf"));
    EXPECT_EQ(testing::checkStructure(pdf), 6u + 3 * 401);
    EXPECT_NE(pdf.find("/Count 401\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("1209 0 obj\r\n<< /Length"), std::string::npos);
    EXPECT_NE(pdf.find("(line 19601)'\r\nET"), std::string::npos);
    EXPECT_TRUE(testing::qpdfAccepts(dir.file("long.pdf")));
}

TEST(StructuralOracle, HoldsForAssortedDocuments) {
    testing::TempDir dir;
    struct Case {
        std::string text;
        int self;
        std::string pageRgb;
    };
    const Case cases[] = {
        {"", 0, "1 1 1"},
        {testing::numberedLines(120), 0, "0 1 1"},
        {"tab\there\n((nested))\n\\\\\n\xC3\xA9t\xC3\xA9\n", 0, "1 1 1"},
        {testing::numberedLines(300), 1, "1 1 1"},
        {"\n\n\n", 1, "1 0 1"},
        {"caf\xE9\r\nlong line " + std::string(5000, 'x') + "\r\n", 1, "1 1 1"},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        ConversionSettings settings;
        settings.chosen.selfAdaptation = c.self;
        settings.pageRgb = c.pageRgb;
        std::string source = dir.file("s" + std::to_string(index) + ".txt");
        std::string output = dir.file("s" + std::to_string(index) + ".pdf");
        testing::writeBytes(source, c.text);
        convertFile(source, output, settings);
        testing::checkStructure(testing::readBytes(output));
        EXPECT_TRUE(testing::qpdfAccepts(output));
        ++index;
    }
}

// A pipe is refused as soon as it is opened, without waiting for a writer
// that never comes, and nothing is written for it.
TEST(PipedSource, IsRefusedAtOnceWithoutWaitingForAWriter) {
    testing::TempDir dir;
    for (int self = 0; self <= 1; ++self) {
        ConversionSettings settings;
        settings.chosen.selfAdaptation = self;
        std::string fifo = dir.file("pipe" + std::to_string(self));
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        try {
            convertFile(fifo, dir.file("piped.pdf"), settings);
            FAIL() << "a pipe was converted";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), fifo);
            EXPECT_NE(std::string(error.what()).find("not a regular file"), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(testing::listFolder(dir.path()), (std::vector<std::string>{"pipe0", "pipe1"}));
}

// A source that is only a UTF-8 byte-order mark (up to its end or a 0x1A)
// has no line: it converts exactly as an empty source, in both layouts. A
// mark followed by a line end still holds one empty line.
TEST(ByteOrderMarkOnly, ConvertsAsAnEmptySource) {
    for (int self = 0; self <= 1; ++self) {
        SCOPED_TRACE(self);
        ConversionSettings empty, settings;
        empty.chosen.selfAdaptation = settings.chosen.selfAdaptation = self;
        const std::string expected = convertText("", empty);
        for (const std::string& source :
             {std::string("\xEF\xBB\xBF"), std::string("\xEF\xBB\xBF\x1A"
                                                       "more\n")}) {
            EXPECT_EQ(convertText(source, settings), expected);
            EXPECT_EQ(settings.pageHeight, empty.pageHeight);
            EXPECT_EQ(settings.pageWidth, empty.pageWidth);
        }
        ConversionSettings blank = empty, markAndLineEnd = empty;
        EXPECT_EQ(convertText("\xEF\xBB\xBF\r\n", markAndLineEnd), convertText("\n", blank));
        EXPECT_NE(convertText("\n", blank), expected);
    }
}

}  // namespace
}  // namespace leafwright
