#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

// A glyph drawn from other glyphs of the same TrueType program, each moved
// by an offset, with an advance of its own (font units throughout).
struct GlyphComponent {
    GlyphId glyph;
    int dx = 0;
    int dy = 0;
};
struct CompositeGlyph {
    std::vector<GlyphComponent> components;
    int advance = 0;
};

// What the tables of a TrueType program say about its glyphs.
struct TrueTypeGlyphs {
    int unitsPerEm = 0;
    std::uint32_t glyphCount = 0;
    std::vector<int> advances;  // of every glyph
};

// The program's glyph count and advances; nothing for bytes that are not a
// TrueType program with glyf outlines.
std::optional<TrueTypeGlyphs> readTrueTypeGlyphs(std::string_view program);

// The program with the composites added after its glyphs (the first one
// becomes glyph glyphCount, the next glyphCount + 1...): glyf, loca (made
// long), hmtx (one full metric a glyph), hhea and maxp grow to hold them, the
// tables that count glyphs for hinting alone (hdmx, LTSH, VDMX) are left
// out, and the checksums are made anew. Nothing for bytes that are not such
// a program, for a component past its glyphs, or past 0xFFFF glyphs.
std::optional<std::string> withCompositeGlyphs(std::string_view program,
                                               const std::vector<CompositeGlyph>& composites);

}  // namespace leafwright
