#include "core/text/text_encoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "../pdf/converted_text.h"
#include "../pdf/pdf_expectations.h"
#include "core/pdf/document_info.h"
#include "core/pdf/page_content.h"
#include "core/text/byte_scan.h"
#include "core/text/mac_roman_encode.h"

namespace leafwright {
namespace {

using testing::convertText;

// The body of the one shown string of a one-line document.
std::string shownLine(const std::string& pdf) {
    std::size_t begin = pdf.find("Tm\r\n(") + 5;
    std::size_t end = pdf.find(")'\r\nET", begin);
    return pdf.substr(begin, end - begin);
}

TEST(SourceEncoding, Utf8TextIsWrittenInMacRomanCodes) {
    ConversionSettings settings;
    // café – “quotes”: every character has a MacRoman code.
    std::string pdf =
        convertText("caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9Cquotes\xE2\x80\x9D\n", settings);
    EXPECT_EQ(shownLine(pdf), "caf\x8E \xD0 \xD2quotes\xD3");
    testing::checkStructure(pdf);
    // One character without a code (½) draws the whole document with
    // embedded fonts instead.
    pdf = convertText("caf\xC3\xA9 \xC2\xBD\n", settings);
    EXPECT_NE(pdf.find("4 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type0\r\n"), std::string::npos);
    testing::checkStructure(pdf);
}

TEST(SourceEncoding, ViewersShowTheSourceCharacters) {
    if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "no pdftotext";
    testing::TempDir dir;
    ConversionSettings settings;
    const std::string text =
        "caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9Cquotes\xE2\x80\x9D \xC2\xA4 \xC3\x85ngstr\xC3\xB6m "
        "\xE2\x80\xA0";
    testing::writeBytes(dir.file("u.txt"), text + " \xC2\xBD\n");
    convertFile(dir.file("u.txt"), dir.file("u.pdf"), settings);
    std::string command =
        "pdftotext -enc UTF-8 '" + dir.file("u.pdf") + "' '" + dir.file("back.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // ½ has no MacRoman code: it prints from an embedded font.
    EXPECT_EQ(testing::readBytes(dir.file("back.txt")).substr(0, text.size() + 3),
              text + " \xC2\xBD");
}

TEST(SourceEncoding, Windows1252TextIsWrittenInMacRomanCodes) {
    ConversionSettings settings;
    // é, en dash, curly quotes, an undefined byte (the euro sign, without a
    // MacRoman code, would call for embedded fonts).
    std::string pdf = convertText("caf\xE9 \x96 \x93q\x94 \x81\n", settings);
    EXPECT_EQ(shownLine(pdf), "caf\x8E \xD0 \xD2q\xD3 ?");
}

TEST(SourceEncoding, OneMalformedByteAnywhereMakesTheWholeFileWindows1252) {
    ConversionSettings settings;
    // The first line alone is UTF-8 é; the last line's lone 0xE9 is not.
    std::string pdf = convertText("\xC3\xA9\nx\xE9\n", settings);
    EXPECT_NE(pdf.find("(\xCC\xA9)'"), std::string::npos);  // Ã then ©
    EXPECT_NE(pdf.find("(x\x8E)'"), std::string::npos);
    // Overlong forms and surrogates are malformed too.
    EXPECT_EQ(countUtf8Characters("\xC0\xAF"), kNotUtf8);
    EXPECT_EQ(countUtf8Characters("\xED\xA0\x80"), kNotUtf8);
    EXPECT_EQ(countUtf8Characters("\xF4\x90\x80\x80"), kNotUtf8);
    EXPECT_EQ(countUtf8Characters("abcdefghij\xF0\x9F\x98\x80"), 11u);
}

TEST(SourceEncoding, BytesAfterEndOfTextMarkDoNotDecide) {
    ConversionSettings settings;
    std::string pdf = convertText("\xC3\xA9\x1A\xFF\xFF", settings);
    EXPECT_EQ(shownLine(pdf), "\x8E");
}

TEST(SourceEncoding, ByteOrderMarkIsDroppedOnlyFromUtf8) {
    ConversionSettings settings;
    EXPECT_EQ(shownLine(convertText("\xEF\xBB\xBFHi\n", settings)), "Hi");
    // In a Windows-1252 file the three bytes are characters: ï » ¿.
    std::string pdf = convertText("\xEF\xBB\xBFHi\n\xFF\n", settings);
    EXPECT_NE(pdf.find("(\x95\xC8\xC0Hi)'"), std::string::npos);
}

TEST(SourceEncoding, AsciiBytesAreKeptEvenControlCharacters) {
    ConversionSettings settings;
    EXPECT_EQ(shownLine(convertText("a\vb\x01\x7F\rc\n", settings)), "a\vb\x01\x7F\rc");
    // A tab stays in the string; the move to its stop follows it.
    EXPECT_NE(convertText("a\tb\x01\x7F\rc\n", settings).find("(a\t)' [-1556 (b\x01\x7F\rc)] TJ"),
              std::string::npos);
}

// Text cut into three pieces anywhere, characters, malformed sequences and
// escaped bytes included, encodes piece by piece exactly as it does whole.
TEST(Utf8Pieces, EncodePieceByPieceAsTheWholeLine) {
    const std::vector<std::string> lines = {
        "x\xE2\x82\xAC(\xC3\xA9)\xF0\x9F\x98\x80\\",
        "\xF0\x9F\x98(\xE2\x82 \xC3",            // cut short by the next byte
        "\x80\x80\xBF\xC3\xA9\x80\x80\x80\x80",  // stray continuation bytes
        "\xE2\x82\xAC\xAC\xAC\xAC\xC3",
        "\xED\xA0\x80\xF4\x90\x80\x80\xC0\xAF\xEF\xBB\xBF",
    };
    for (const std::string& line : lines) {
        std::string whole;
        appendEncodedEscaped(whole, line, SourceEncoding::Utf8);
        for (std::size_t first = 0; first <= line.size(); ++first) {
            for (std::size_t second = first; second <= line.size(); ++second) {
                Utf8Pieces pieces;
                std::string out;
                auto append = [&](std::string_view part) {
                    appendEncodedEscaped(out, part, SourceEncoding::Utf8);
                };
                pieces.add(std::string_view(line).substr(0, first), append);
                pieces.add(std::string_view(line).substr(first, second - first), append);
                pieces.add(std::string_view(line).substr(second), append);
                pieces.finish(append);
                EXPECT_EQ(out, whole) << "cut at " << first << " and " << second;
            }
        }
    }
}

TEST(EncodedEscaping, FindsEverySpecialByteWhereverItStands) {
    // Plain runs are skipped eight bytes at a time: put each kind of byte at
    // every position of lines of many lengths.
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (char special : {'\\', '(', ')'}) {
                std::string line(length, 'x');
                line[at] = special;
                std::string out = "keep";
                appendEncodedEscaped(out, line, SourceEncoding::Utf8);
                EXPECT_EQ(out, "keep" + escapeText(line)) << length << " " << at;
                EXPECT_EQ(countEscapedBytes(line), 1u);
            }
            std::string line(length, 'y');
            line[at] = '\xE9';
            std::string expected = line;
            expected[at] = '\x8E';
            std::string out;
            appendEncodedEscaped(out, line, SourceEncoding::Windows1252);
            EXPECT_EQ(out, expected);
            EXPECT_EQ(countEscapedBytes(line), 0u);
            EXPECT_FALSE(isAscii(line));
            line.replace(at, 1, "\xC3\xA9");
            out.clear();
            appendEncodedEscaped(out, line, SourceEncoding::Utf8);
            EXPECT_EQ(out, expected);
            EXPECT_EQ(countUtf8Characters(line), length);
        }
    }
}

// The byte finders look at sixteen bytes a step: a byte sought at every
// position, from every starting point, is found where it stands.
TEST(ByteScan, FindersFindTheFirstByteSoughtWhereverItStands) {
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t at = 0; at <= length; ++at) {
            for (std::size_t from = 0; from <= length; ++from) {
                std::string text(length, 'x');
                if (at < length) text[at] = ')';
                const std::size_t expected = at < length && at >= from ? at : length;
                EXPECT_EQ(findAnyOf(text, from, '\\', '(', ')'), expected);
                if (at < length) text[at] = '\x80';
                EXPECT_EQ(findHighByte(text, from), expected);
            }
        }
    }
}

TEST(MacRomanCodes, FollowThePdfEncoding) {
    EXPECT_EQ(macRomanCode(U'\u00A0'), '\xCA');
    EXPECT_EQ(macRomanCode(U'\u00A4'), '\xDB');
    EXPECT_EQ(macRomanCode(U'\u20AC'), '?');
    EXPECT_EQ(macRomanCode(U'\u00C4'), '\x80');
    EXPECT_EQ(macRomanCode(U'\u02C7'), '\xFF');
    EXPECT_EQ(macRomanCode(U'\uFB02'), '\xDF');
    EXPECT_EQ(macRomanCode(U'\u2260'), '?');  // not-equal sign: no glyph in the PDF encoding
    EXPECT_EQ(macRomanCode(U'A'), 'A');
}

TEST(MacRomanCodes, NoTwoCharactersShareACodeAndGlyphlessCodesNeverAppear) {
    const std::set<unsigned char> glyphless = {0xAD, 0xB0, 0xB2, 0xB3, 0xB6, 0xB7, 0xB8, 0xB9,
                                               0xBA, 0xBD, 0xC3, 0xC5, 0xC6, 0xD7, 0xF0};
    std::set<unsigned char> used;
    for (char32_t c = 0x80; c < 0x20000; ++c) {
        auto code = static_cast<unsigned char>(macRomanCode(c));
        if (code == '?') continue;
        EXPECT_GE(code, 0x80) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(glyphless.count(code), 0u) << std::hex << static_cast<unsigned>(c);
        EXPECT_TRUE(used.insert(code).second) << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(used.size(), 128u - glyphless.size());
}

TEST(DocumentInformation, AsciiIsKeptAndStringDelimitersAreEscaped) {
    EXPECT_EQ(documentInfoString("Plain title"), "Plain title");
    EXPECT_EQ(documentInfoString("a(b\\c"), "a\\(b\\\\c");
    EXPECT_EQ(documentInfoString("two\r\nlines)"), "two\\r\\nlines\\)");
}

TEST(DocumentInformation, OtherTextBecomesUtf16WithByteOrderMark) {
    EXPECT_EQ(documentInfoString("caf\xC3\xA9"), std::string("\xFE\xFF\0c\0a\0f\0\xE9", 10));
    // Windows-1252 bytes are read as such.
    EXPECT_EQ(documentInfoString("\x80"), "\xFE\xFF\x20\xAC");
    // A code unit byte that is a delimiter is escaped too: U+0128 is 01 28.
    EXPECT_EQ(documentInfoString("\xC4\xA8"), "\xFE\xFF\x01\\\x28");
    // Beyond the first plane: a surrogate pair.
    EXPECT_EQ(documentInfoString("\xF0\x9F\x98\x80"), std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6));
}

TEST(DocumentInformation, AnyTitleKeepsTheDocumentValid) {
    testing::TempDir dir;
    ConversionSettings settings;
    settings.docTitle = "Unbalanced ( and \\ end\\";
    settings.docAuthor = "Zo\xC3\xAB (\xE2\x80\x9CZ\xE2\x80\x9D)";
    settings.docSubject = "line\nbreak";
    testing::writeBytes(dir.file("a.txt"), "text\n");
    convertFile(dir.file("a.txt"), dir.file("a.pdf"), settings);
    std::string pdf = testing::readBytes(dir.file("a.pdf"));
    EXPECT_NE(pdf.find("/Title (Unbalanced \\( and \\\\ end\\\\)\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Subject (line\\nbreak)\r\n"), std::string::npos);
    testing::checkStructure(pdf);
    EXPECT_TRUE(testing::qpdfAccepts(dir.file("a.pdf")));
}

}  // namespace
}  // namespace leafwright
