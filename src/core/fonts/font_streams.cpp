#include "core/fonts/font_streams.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/deflate/deflater.h"
#include "core/fonts/font_objects.h"
#include "core/fonts/hex_text.h"

namespace leafwright {
namespace {

constexpr std::size_t kMappingsPerBlock = 100;  // the most a bfchar block may hold

}  // namespace

std::vector<GlyphId> usedGlyphs(const EmbeddedFont& font) {
    std::set<GlyphId> glyphs;
    for (std::size_t code = 1; code <= font.codeCount(); ++code)
        if (const GlyphId glyph = font.glyph(static_cast<std::uint16_t>(code))) {
            if (!GlyphClusters::isCluster(glyph) || !font.clusters()) {
                glyphs.insert(glyph);
                continue;
            }
            for (const GlyphComponent& component : font.clusters()->components(glyph))
                if (component.glyph != 0) glyphs.insert(component.glyph);
        }
    return {glyphs.begin(), glyphs.end()};
}

std::string objectReference(int number) {
    return std::to_string(number) + " 0 R";
}

// Like the page contents, a stream's /Length counts everything between the
// line end after "stream" and "endstream", its last line end included.
std::string streamObject(int number, const std::string& extraEntries, std::string_view data) {
    // The last line end, which the data does not hold, counts as two bytes.
    const std::string head = std::to_string(number) + " 0 obj\n<< /Length " +
                             std::to_string(lengthOnDisk(data) + 2) + extraEntries +
                             " >>\nstream\n";
    constexpr std::string_view kTail = "\nendstream\nendobj\n";
    std::string object;
    object.reserve(head.size() + data.size() + kTail.size());
    object += head;
    object += data;
    object += kTail;
    return object;
}

std::string hexStreamObject(int number, const std::string& extraEntries, const std::string& bytes) {
    return streamObject(number, " /Filter /ASCIIHexDecode" + extraEntries,
                        asciiHexStreamData(bytes));
}

FontObject textObject(int number, std::string text) {
    return {number, std::move(text), {}, {}};
}

// The stream of bytes (as they are on disk) compressed, or plain when that
// would not make it smaller.
std::optional<FontObject> flated(int number, const std::string& extraEntries,
                                 std::string_view bytes, Deflater* deflater) {
    std::string packed;
    if (!deflater || !deflater->compressSmaller(bytes, packed)) return std::nullopt;
    return FontObject{number,
                      std::to_string(number) + " 0 obj\n<< /Length " +
                          std::to_string(packed.size()) + " /Filter /FlateDecode" + extraEntries +
                          " >>\nstream\n",
                      std::move(packed), "\nendstream\nendobj\n"};
}

FontObject flateOr(FontObject plain, const std::string& extraEntries, std::string_view bytes,
                   Deflater* deflater) {
    std::optional<FontObject> packed = flated(plain.number, extraEntries, bytes, deflater);
    return packed ? std::move(*packed) : std::move(plain);
}

// Text with "\n" line ends as it is on disk: CR LF.
std::string onDisk(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::string toUnicodeCMap(const EmbeddedFont& font, int codeBytes) {
    std::string cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n";
    cmap += codeBytes == 1 ? "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
                           : "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const std::size_t codes = font.codeCount();
    for (std::size_t first = 0; first < codes; first += kMappingsPerBlock) {
        const std::size_t count = std::min(kMappingsPerBlock, codes - first);
        cmap += std::to_string(count) + " beginbfchar\n";
        for (std::size_t i = first; i < first + count; ++i) {
            const auto code = static_cast<std::uint16_t>(i + 1);
            cmap += '<';
            if (codeBytes == 1)
                appendHexByte(cmap, static_cast<std::uint8_t>(code));
            else
                appendHexCode(cmap, code);
            // A glyph that draws part of a cluster whose text went with its
            // first glyph maps to no text at all.
            cmap += "> <";
            for (const char32_t character : font.text(code)) appendUtf16Hex(cmap, character);
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
    return cmap;
}

}  // namespace leafwright
