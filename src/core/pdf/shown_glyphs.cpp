#include "core/pdf/shown_glyphs.h"

#include <cstdint>

namespace leafwright {

ShownCharacter ShownGlyphs::showGlyph(DocumentFonts& fonts, const FontFace& face, GlyphId glyph,
                                      std::u32string_view text, int width,
                                      std::size_t currentFont) {
    // Glyph 0 is written in the current font, and longer texts are rare.
    if (glyph == 0 || text.size() != 1)
        return fonts.showGlyph(face, glyph, text, widthOf(face, glyph, width), currentFont);
    std::uint64_t hash = reinterpret_cast<std::uintptr_t>(&face) >> 4;
    hash = (hash ^ glyph) * 0x9E3779B97F4A7C15ULL;
    hash = (hash ^ text[0]) * 0xBF58476D1CE4E5B9ULL;
    Entry& entry = entries_[(hash >> 40) % kEntries];
    if (entry.face == &face && entry.glyph == glyph && entry.character == text[0])
        return entry.shown;
    const ShownCharacter shown =
        fonts.showGlyph(face, glyph, text, widthOf(face, glyph, width), currentFont);
    entry = {&face, glyph, text[0], shown};
    return shown;
}

}  // namespace leafwright
