#pragma once

#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "core/fonts/document_fonts.h"

namespace leafwright {

// The codes a document's fonts gave the glyphs of shaped lines that carry
// one character each (most glyphs), remembered so that a glyph met again,
// line after line and in both readings of a document, costs one look-up
// here instead of the fonts' own. A glyph's code never changes once given,
// so the answers are those of DocumentFonts::showGlyph; the first showing of
// each still goes to the fonts, which learn the glyphs in the same order.
// Holds a fixed number of glyphs (the latest of those that meet in one
// place).
class ShownGlyphs {
  public:
    ShownGlyphs() : entries_(kEntries) {}

    // A width that stands for the glyph's own advance, found only when the
    // fonts are asked (a glyph met again needs none).
    static constexpr int kOwnAdvance = std::numeric_limits<int>::min();
    static int widthOf(const FontFace& face, GlyphId glyph, int width) {
        return width == kOwnAdvance ? face.advanceWidth(glyph) : width;
    }

    // As fonts.showGlyph(face, glyph, text, width, currentFont), width
    // kOwnAdvance or thousandths.
    ShownCharacter showGlyph(DocumentFonts& fonts, const FontFace& face, GlyphId glyph,
                             std::u32string_view text, int width, std::size_t currentFont);

  private:
    static constexpr std::size_t kEntries = 4096;
    struct Entry {
        const FontFace* face = nullptr;
        GlyphId glyph = 0;
        char32_t character = 0;
        ShownCharacter shown{};
    };
    std::vector<Entry> entries_;
};

}  // namespace leafwright
