#include "core/fonts/unicode_tables.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/fonts/column_width.h"
#include "core/fonts/hex_text.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/standard_font_widths.h"
#include "core/fonts/truetype_face.h"
#include "core/text/mac_roman_table.h"

namespace leafwright {
namespace {

TEST(ColumnWidth, WideCharactersTakeTwoColumnsAndMarksNone) {
    EXPECT_EQ(columnWidth(U'a'), 1);
    EXPECT_EQ(columnWidth(U'\u00E9'), 1);
    EXPECT_EQ(columnWidth(U'\u4E00'), 2);      // CJK ideograph
    EXPECT_EQ(columnWidth(U'\uAC00'), 2);      // Hangul syllable
    EXPECT_EQ(columnWidth(U'\uFF21'), 2);      // fullwidth A
    EXPECT_EQ(columnWidth(U'\U0001F600'), 2);  // emoji, wide in Unicode 9 and later
    EXPECT_EQ(columnWidth(U'\U00020000'), 2);  // CJK extension B
    EXPECT_EQ(columnWidth(U'\u0301'), 0);      // combining acute (Mn)
    EXPECT_EQ(columnWidth(U'\u20DD'), 0);      // combining enclosing circle (Me)
    EXPECT_EQ(columnWidth(U'\u302A'), 0);      // a mark inside a wide block stays 0
    EXPECT_EQ(columnWidth(U'\u2500'), 1);      // box drawing is ambiguous, not wide
    EXPECT_STREQ(unicodeTablesVersion(), "15.0.0");
}

TEST(ColumnWidth, GeneratedRangesAreSortedAndDisjoint) {
    char32_t previousLast = 0;
    bool first = true;
    for (const auto& range : columnWidthRanges()) {
        EXPECT_LE(range.first, range.last);
        if (!first) {
            EXPECT_GT(range.first, previousLast);
        }
        EXPECT_TRUE(range.columns == 0 || range.columns == 2);
        EXPECT_EQ(columnWidth(range.first), range.columns);
        EXPECT_EQ(columnWidth(range.last), range.columns);
        previousLast = range.last;
        first = false;
    }
    first = true;
    for (const auto& range : defaultIgnorableRanges()) {
        if (!first) {
            EXPECT_GT(range.first, previousLast);
        }
        EXPECT_TRUE(isInvisibleCharacter(range.first) && isInvisibleCharacter(range.last));
        previousLast = range.last;
        first = false;
    }
    EXPECT_FALSE(isInvisibleCharacter(U' '));
    EXPECT_FALSE(isInvisibleCharacter(U'a'));
    EXPECT_TRUE(isInvisibleCharacter(U'\t'));
}

// The AFM widths and the Liberation faces come from different makers; the
// faces were drawn to the same widths, so the table entries must match them,
// apart from five signs the proportional Liberation faces draw to the widths
// of another family (plus-minus, micro, divide, middle dot, macron).
bool liberationDrawsOtherwise(const std::string& baseFont, unsigned char code) {
    if (baseFont.starts_with("Courier")) return false;
    for (unsigned char sign : {0xB1, 0xB5, 0xD6, 0xE1, 0xF8})
        if (code == sign) return true;
    return false;
}

TEST(StandardFontWidths, MatchTheMetricCompatibleLiberationFaces) {
    const std::string folder = "/usr/share/fonts/truetype/liberation2/";
    const std::pair<const char*, const char*> faces[] = {
        {"Times-Roman", "LiberationSerif-Regular"},
        {"Times-Italic", "LiberationSerif-Italic"},
        {"Times-Bold", "LiberationSerif-Bold"},
        {"Helvetica", "LiberationSans-Regular"},
        {"Helvetica-Oblique", "LiberationSans-Italic"},
        {"Helvetica-Bold", "LiberationSans-Bold"},
        {"Courier", "LiberationMono-Regular"},
        {"Courier-Oblique", "LiberationMono-Italic"},
        {"Courier-Bold", "LiberationMono-Bold"}};
    for (const auto& [baseFont, file] : faces) {
        SCOPED_TRACE(baseFont);
        const StandardFontWidths* widths = standardFontWidths(baseFont);
        ASSERT_NE(widths, nullptr);
        const auto face = openTrueTypeFace(folder + file + ".ttf");
        ASSERT_NE(face, nullptr);
        for (int code = 32; code < 256; ++code) {
            const auto byte = static_cast<unsigned char>(code);
            if (code == 0x7F || !macRomanHasGlyph(byte)) {
                EXPECT_EQ(widths->width(byte), 0) << code;
                continue;
            }
            if (liberationDrawsOtherwise(baseFont, byte)) continue;
            const GlyphId glyph = face->glyphFor(macRomanCharacter(byte));
            ASSERT_NE(glyph, 0u) << code;
            EXPECT_NEAR(widths->width(byte), face->advanceWidth(glyph), 1) << "code " << code;
        }
    }
    EXPECT_EQ(standardFontWidths("Symbol"), nullptr);
}

TEST(AsciiHexStream, EncodesAnyBytesInShortLinesEndingWithTheMarker) {
    std::string bytes;
    for (int length : {0, 1, 39, 40, 41, 80, 1000}) {
        bytes.clear();
        for (int i = 0; i < length; ++i) bytes += static_cast<char>((i * 151 + 7) & 0xFF);
        const std::string hex = asciiHexStreamData(bytes);
        SCOPED_TRACE(length);
        ASSERT_EQ(hex.back(), '>');
        std::string decoded;
        std::size_t lineLength = 0;
        for (std::size_t i = 0; i + 1 < hex.size(); ++i) {
            if (hex[i] == '\n') {
                lineLength = 0;
                continue;
            }
            ++lineLength;
            EXPECT_LE(lineLength, 80u);
            ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(hex[i])));
            if (lineLength % 2 == 0)
                decoded += static_cast<char>(std::stoi(hex.substr(i - 1, 2), nullptr, 16));
        }
        EXPECT_LE(lineLength + 1, 80u);  // the marker fits its line
        EXPECT_EQ(decoded, bytes);
    }
}

}  // namespace
}  // namespace leafwright
