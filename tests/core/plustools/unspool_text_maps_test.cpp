#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/plustools/cmap_reader.h"
#include "core/plustools/font_map_scan.h"
#include "core/plustools/unspool_run.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Lines joined with CR LF, as a PDF writer writes them.
std::string crlf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

std::string asciiHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
        if (hex.size() % 81 == 80) hex += "\r\n";
    }
    return hex + ">";
}

const std::string kTwoByteMap = crlf({
    "/CIDInit /ProcSet findresource begin 12 dict begin begincmap",
    "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def",
    "/CMapName /Adobe-Identity-UCS def /CMapType 2 def",
    "1 begincodespacerange <0000> <FFFF> endcodespacerange",
    "5 beginbfchar",
    "<0001> <0048>",
    "<0004> <>",          // a glyph whose text another glyph carries
    "<0002> <D83DDE00>",  // a surrogate pair
    "<0003> <00660069>",  // a ligature: two characters
    "<0009> <0009>",
    "endbfchar",
    "2 beginbfrange",
    "<0010> <0012> <0061>",
    "<0020> <0022> [<03B1> <0416> <4E2D>]",
    "endbfrange endcmap CMapName currentdict /CMap defineresource pop end end",
});

// A page with a Type0 font whose map (hex-encoded) follows the content, as
// Leafwright's converter writes them, and a standard font without one.
TEST(UnspoolTextMaps, CodesOfAFontWithAMapComeBackAsItsText) {
    TempDir dir;
    const std::string pdf = crlf({
        "%PDF-1.3",
        "1 0 obj << /Type /Page /Resources << /Font << /F1 4 0 R /F2 7 0 R >> >> "
        "/Contents 3 0 R >> endobj",
        "3 0 obj << /Length 200 >>",
        "stream",
        "BT",
        "/F1 12 Tf",
        "<0001 0010 00110012> Tj",
        "[<0003> -500 <00040009>] TJ <0002>Tj",
        "<00200021",
        "0022 0099>'",
        "/F2 12 Tf (plain \\(x\\) \\\\ \\101) Tj <8E>Tj",
        "ET",
        "endstream",
        "endobj",
        "4 0 obj << /Type /Font /Subtype /Type0 /BaseFont /ABCDEF+LiberationSerif "
        "/Encoding /Identity-H /DescendantFonts [5 0 R] /ToUnicode 6 0 R >>",
        "endobj",
        "6 0 obj << /Length 0 /Filter /ASCIIHexDecode >>",
        "stream",
        asciiHex(kTwoByteMap),
        "endstream",
        "endobj",
        "7 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >> endobj",
        "%%EOF",
    });
    writeBytes(dir.file("a.pdf"), pdf);
    UnspoolOutcome outcome = unspoolFile(dir.file("a.pdf"), dir.file("a.txt"));
    EXPECT_EQ(readBytes(dir.file("a.txt")),
              "Habc\r\nfi\t\U0001F600\r\n\u03B1\u0416\u4E2D\uFFFD\r\n"
              "plain (x) \\ \\101\u00E9\r\n");
    EXPECT_TRUE(outcome.sawFilteredStream);
    EXPECT_EQ(unspoolWarningFor(outcome), "");
}

// A plain map that comes before the font naming it (read by a second scan),
// with one- and two-byte codes, and a map under a filter Unspool cannot read.
TEST(UnspoolTextMaps, MapsBeforeTheirFontsMixedCodeLengthsAndUnreadableMaps) {
    TempDir dir;
    const std::string mixedMap = crlf({
        "begincmap 2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange",
        "2 beginbfchar <41> <0041> <8041> <00C5> endbfchar",
        "1 beginbfrange <61> <63> <0078> endbfrange endcmap",
    });
    const std::string pdf = crlf({
        "%PDF-1.3",
        "2 0 obj << /Length 300 >>",
        "stream",
        mixedMap + "endstream",
        "endobj",
        "8 0 obj << /Length 10 /Filter /FlateDecode >>",
        "stream",
        kTwoByteMap + "endstream",
        "endobj",
        "1 0 obj << /Type /Page /Resources << /Font << /F1 4 0 R /F9 9 0 R >> >> >> endobj",
        "3 0 obj << /Length 40 >>",
        "stream",
        "BT /F1 12 Tf <41804161 62> Tj (ab\\143) Tj ET",
        "BT /F9 12 Tf <0041> Tj ET",
        "BT /F5 12 Tf <41>Tj ET",
        "endstream",
        "endobj",
        "4 0 obj << /Type /Font /ToUnicode 2 0 R >> endobj",
        "9 0 obj << /Type /Font /ToUnicode 8 0 R >> endobj",
    });
    writeBytes(dir.file("b.pdf"), pdf);
    unspoolFile(dir.file("b.pdf"), dir.file("b.txt"));
    // The map under /FlateDecode is left unread: its codes are taken byte for
    // byte; so is a font the page does not name.
    EXPECT_EQ(readBytes(dir.file("b.txt")),
              "A\u00C5xyxyz\r\n" + std::string("\0A", 2) + "\r\nA\r\n");
}

// A stream's "endstream" may come cut over several pieces; what the scan
// finds must not depend on where the pieces end.
TEST(FontMapScan, ReadsTheSameInPiecesOfAnySize) {
    const std::string pdf = crlf({
        "1 0 obj << /Font << /F1 2 0 R /F2 4 0 R >> >> endobj",
        "2 0 obj << /Type /Font /ToUnicode 3 0 R >> endobj",
        "3 0 obj << /Length 0 >> stream",
        kTwoByteMap + "endstream endobj",
        "4 0 obj << /Type /Font /ToUnicode 5 0 R >> endobj",
        "5 0 obj << /Filter /AHx >> stream",
        asciiHex("1 begincodespacerange <00> <FF> endcodespacerange "
                 "1 beginbfchar <41> <00C5> endbfchar"),
        "endstream endobj",
        "6 0 obj << /Length 0 >> stream",
        "BT /F1 1 Tf <0001> Tj ET",
        "endstream endobj",
    });
    auto scanInPieces = [&](std::size_t size) {
        FontMapScan scan;
        for (std::size_t at = 0; at < pdf.size(); at += size)
            scan.feed(std::string_view(pdf).substr(at, size));
        scan.finish();
        FontTextMaps maps;
        scan.collectMaps(maps);
        std::string text = scan.sawFilteredStream() ? "filtered:" : "plain:";
        if (const ToUnicodeMap* map = maps.find("F1"))
            map->appendText(std::string("\0\1", 2), text);
        if (const ToUnicodeMap* map = maps.find("F2")) map->appendText("A", text);
        return text;
    };
    const std::string whole = scanInPieces(pdf.size());
    EXPECT_EQ(whole, "filtered:H\u00C5");
    for (std::size_t size = 1; size <= 12; ++size) EXPECT_EQ(scanInPieces(size), whole) << size;
}

TEST(CMapReader, HostileOrBrokenMapsStayBoundedAndHarmless) {
    // An incrementing range over every four-byte code: one entry, looked up
    // by arithmetic. A destination that would pass U+FFFF comes back as
    // U+FFFD, as does an unpaired surrogate.
    CMapReader reader;
    reader.feed("begincodespacerange <00000000> <FFFFFFFF> endcodespacerange ");
    reader.feed("beginbfrange <00000000> <FFFFFFFF> <0041> <1> <2> endbfrange ");
    reader.feed("beginbfchar <00000005> <D800> <00000006> /space <00000007> <0042> endbfchar");
    ToUnicodeMap map = reader.finish();
    EXPECT_EQ(map.size(), 3u);
    std::string out;
    map.appendText(std::string("\0\0\0\1", 4), out);
    map.appendText(std::string("\0\0\0\5", 4), out);
    map.appendText(std::string("\0\0\0\7", 4), out);
    map.appendText(std::string("\0\0\0\x20", 4), out);
    EXPECT_EQ(out, "B\uFFFDBa");
    EXPECT_EQ(map.codeLengthAt(std::string("\0\0\0", 3)), 0u);
    EXPECT_EQ(map.codeLengthAt(std::string("\0\0\0\0", 4)), 4u);

    // Fed a byte at a time, a map reads the same as fed whole.
    CMapReader whole, bytewise;
    whole.feed(kTwoByteMap);
    for (char c : kTwoByteMap) bytewise.feed(std::string_view(&c, 1));
    ToUnicodeMap a = whole.finish(), b = bytewise.finish();
    std::string textA, textB;
    for (unsigned code = 0; code < 0x30; ++code) {
        std::string bytes = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        a.appendText(bytes, textA);
        b.appendText(bytes, textB);
    }
    EXPECT_EQ(textA, textB);
    EXPECT_NE(textA.find("H"), std::string::npos);

    // A map that never ends grows only to its limit.
    CMapReader endless;
    endless.feed("beginbfchar ");
    for (unsigned code = 0; code < 100000; ++code) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "<%08X> <0041> ", code);
        endless.feed(entry);
    }
    ToUnicodeMap big = endless.finish();
    EXPECT_GT(big.size(), 65536u);
    EXPECT_LT(big.size(), 100000u);
}

}  // namespace
}  // namespace leafwright
