#include "core/fonts/font_objects.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

#include "core/deflate/deflater.h"
#include "core/fonts/cff_table.h"
#include "core/fonts/code_advances.h"
#include "core/fonts/font_streams.h"
#include "core/fonts/hex_text.h"
#include "core/fonts/type3_font_objects.h"

namespace leafwright {
namespace {

constexpr std::size_t kWidthsPerLine = 16;

std::string type0Font(int number, const std::string& baseFont, int cidFont, int toUnicode) {
    return std::to_string(number) + " 0 obj\n<<\n/Type /Font\n/Subtype /Type0\n/BaseFont /" +
           baseFont + "\n/Encoding /Identity-H\n/DescendantFonts [" + objectReference(cidFont) +
           "]\n/ToUnicode " + objectReference(toUnicode) + "\n>>\nendobj\n";
}

// cidToGidMap is 0 for a CFF font, whose codes are its CIDs.
std::string cidFont(int number, const EmbeddedFont& font, const std::string& baseFont,
                    int descriptor, int cidToGidMap) {
    std::string widths = "/W [";
    if (font.codeCount() > 0) {
        widths += "1 [";
        for (std::size_t i = 0; i < font.codeCount(); ++i) {
            if (i % kWidthsPerLine == 0)
                widths += '\n';
            else
                widths += ' ';
            widths += std::to_string(font.width(static_cast<std::uint16_t>(i + 1)));
        }
        widths += "\n]";
    }
    widths += "]";
    return std::to_string(number) + " 0 obj\n<<\n/Type /Font\n/Subtype /" +
           (cidToGidMap ? "CIDFontType2" : "CIDFontType0") + "\n/BaseFont /" + baseFont +
           "\n/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>\n"
           "/FontDescriptor " +
           objectReference(descriptor) + "\n/DW 0\n" + widths +
           (cidToGidMap ? "\n/CIDToGIDMap " + objectReference(cidToGidMap) : std::string()) +
           "\n>>\nendobj\n";
}

std::string fontDescriptor(int number, const FontMetrics& m, const std::string& baseFont,
                           int fontFile, FontOutlines outlines) {
    int flags = 4;  // symbolic: its glyphs are reached by glyph id, not by a standard encoding
    if (m.fixedPitch) flags |= 1;
    if (m.serif) flags |= 2;
    if (m.italic) flags |= 64;
    return std::to_string(number) + " 0 obj\n<<\n/Type /FontDescriptor\n/FontName /" + baseFont +
           "\n/Flags " + std::to_string(flags) + "\n/FontBBox [" + std::to_string(m.bboxLeft) +
           " " + std::to_string(m.bboxBottom) + " " + std::to_string(m.bboxRight) + " " +
           std::to_string(m.bboxTop) + "]\n/ItalicAngle " + decimalNumber(m.italicAngle) +
           "\n/Ascent " + std::to_string(m.ascent) + "\n/Descent " + std::to_string(m.descent) +
           "\n/CapHeight " + std::to_string(m.capHeight) + "\n/StemV " + std::to_string(m.stemV) +
           (outlines == FontOutlines::cff ? "\n/FontFile3 " : "\n/FontFile2 ") +
           objectReference(fontFile) + "\n>>\nendobj\n";
}

std::string cidToGidMap(const std::vector<GlyphId>& glyphOfCode) {
    std::string bytes(2 * glyphOfCode.size(), '\0');
    for (std::size_t code = 0; code < glyphOfCode.size(); ++code) {
        bytes[2 * code] = static_cast<char>((glyphOfCode[code] >> 8) & 0xFF);
        bytes[2 * code + 1] = static_cast<char>(glyphOfCode[code] & 0xFF);
    }
    return bytes;
}

// The subset's glyph of each code, code 0 standing for no glyph; a
// cluster's code has its first glyph until it gets a composite of its own.
std::vector<GlyphId> subsetGlyphOfCode(const EmbeddedFont& font, const FontSubset& subset) {
    std::vector<GlyphId> glyphs(font.codeCount() + 1, 0);
    for (std::size_t i = 0; i < font.codeCount(); ++i) {
        GlyphId old = font.glyph(static_cast<std::uint16_t>(i + 1));
        if (GlyphClusters::isCluster(old) && font.clusters())
            old = font.clusters()->components(old).front().glyph;
        const auto mapped = subset.newGlyphIds.find(old);
        if (old != 0 && mapped != subset.newGlyphIds.end()) glyphs[i + 1] = mapped->second;
    }
    return glyphs;
}

// The CFF subset made CID-keyed; a fault in it names the face, as a subset
// that could not be made does.
std::string cidProgram(const EmbeddedFont& font, const FontSubset& subset,
                       const std::vector<GlyphId>& glyphOfCid) {
    const FontFace& face = font.face();
    std::vector<int> widths(glyphOfCid.size(), 0);
    for (std::size_t code = 1; code < widths.size(); ++code)
        widths[code] = font.width(static_cast<std::uint16_t>(code));
    try {
        return cidKeyedCff(subset.program, glyphOfCid, widths);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error("font " + face.postScriptName() + ": " + error.what());
    }
}

}  // namespace

std::string subsetTag(const std::string& postScriptName, const std::vector<GlyphId>& glyphs) {
    // 64-bit FNV-1a over the name and the sorted glyph ids.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    };
    for (char c : postScriptName) mix(static_cast<unsigned char>(c));
    std::vector<GlyphId> sorted = glyphs;
    std::sort(sorted.begin(), sorted.end());
    for (GlyphId glyph : sorted)
        for (int shift = 24; shift >= 0; shift -= 8)
            mix(static_cast<unsigned char>(glyph >> shift));
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag += static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

int embeddedFontObjectCount(const EmbeddedFont& font) {
    if (font.face().outlines() == FontOutlines::colourBitmaps) return type3FontObjectCount(font);
    return font.face().outlines() == FontOutlines::cff ? kObjectsPerEmbeddedFont - 1
                                                       : kObjectsPerEmbeddedFont;
}

std::vector<FontObject> embeddedFontObjects(const EmbeddedFont& font, int type0Number,
                                            int firstHelperNumber, bool compress, Rgb page) {
    if (font.face().outlines() == FontOutlines::colourBitmaps)
        return type3FontObjects(font, type0Number, firstHelperNumber, compress, page);
    const FontFace& face = font.face();
    const bool cff = face.outlines() == FontOutlines::cff;
    const int cidFontNumber = firstHelperNumber;
    const int descriptorNumber = firstHelperNumber + 1;
    const int cidToGidNumber = cff ? 0 : firstHelperNumber + 2;
    const int toUnicodeNumber = cff ? firstHelperNumber + 2 : firstHelperNumber + 3;
    const int fontFileNumber = toUnicodeNumber + 1;

    const std::vector<GlyphId> glyphs = usedGlyphs(font);
    FontSubset subset = face.subset(glyphs);
    const std::string baseFont =
        subsetTag(face.postScriptName(), glyphs) + "+" + face.postScriptName();
    const std::unique_ptr<Deflater> deflater = compress ? std::make_unique<Deflater>() : nullptr;

    std::vector<FontObject> objects = {
        textObject(type0Number, type0Font(type0Number, baseFont, cidFontNumber, toUnicodeNumber)),
        textObject(cidFontNumber,
                   cidFont(cidFontNumber, font, baseFont, descriptorNumber, cidToGidNumber)),
        textObject(descriptorNumber, fontDescriptor(descriptorNumber, face.metrics(), baseFont,
                                                    fontFileNumber, face.outlines())),
    };
    if (!cff) {
        std::vector<GlyphId> glyphOfCode = subsetGlyphOfCode(font, subset);
        giveCodesTheirAdvances(font, subset.newGlyphIds, subset.program, glyphOfCode);
        const std::string gidMap = cidToGidMap(glyphOfCode);
        objects.push_back(flateOrMade(
            cidToGidNumber, [&] { return hexStreamObject(cidToGidNumber, "", gidMap); }, "", gidMap,
            deflater.get()));
    }
    const std::string cmap = toUnicodeCMap(font);
    objects.push_back(flateOrMade(
        toUnicodeNumber, [&] { return streamObject(toUnicodeNumber, "", cmap); }, "",
        compress ? onDisk(cmap + '\n') : std::string(), deflater.get()));
    if (cff) {
        const std::string program = cidProgram(font, subset, subsetGlyphOfCode(font, subset));
        const std::string subtype = " /Subtype /CIDFontType0C";
        objects.push_back(flateOrMade(
            fontFileNumber, [&] { return hexStreamObject(fontFileNumber, subtype, program); },
            subtype, program, deflater.get()));
    } else {
        const std::string length1 = " /Length1 " + std::to_string(subset.program.size());
        objects.push_back(flateOrMade(
            fontFileNumber,
            [&] { return hexStreamObject(fontFileNumber, length1, subset.program); }, length1,
            subset.program, deflater.get()));
    }
    return objects;
}

}  // namespace leafwright
