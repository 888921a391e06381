#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

// The outlines glyphs draw, as HarfBuzz reads it, written out as text
// ("M x y", "L x y", "Q ...", "C ...", "Z", one a line, in font units), so
// that two programs can be seen to draw a glyph alike whatever their bytes:
// of a bare CFF program, and of a face of an OpenType file. Hints do not
// change the outline. Empty for a glyph that draws nothing or is missing.
std::vector<std::string> cffGlyphOutlines(std::string_view cff, const std::vector<GlyphId>& glyphs);
std::vector<std::string> faceGlyphOutlines(const FontFace::File& file,
                                           const std::vector<GlyphId>& glyphs);

// The 'CFF ' table of a face of an OpenType file, among the file's bytes;
// empty when it has none.
std::string_view cffTableOf(const FontFace::File& file);

}  // namespace leafwright
