#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

class EmbeddedFont;

// Makes a TrueType subset agree with the widths its codes are given in /W.
// Some readers (MuPDF's text extraction among them) measure a glyph by the
// font program's own advance rather than by /W, and see a gap, or an
// overlap, wherever the two differ: a wide character set two columns wide
// in a monospaced font, a fallback glyph given the column's width. Each code
// whose width differs from its glyph's advance is pointed at a composite
// glyph that draws the same outline with the code's width as its advance
// (one for every pair of glyph and width). A code of a cluster of glyphs
// (GlyphClusters) gets a composite of all of them. newGlyphIds maps the
// face's glyphs to the subset's; glyphOfCode holds the subset's glyph of
// each code (code 0 first) and is changed along with the program; both stay
// as they are for a program that cannot take the composites (a cluster then
// draws its first glyph alone).
void giveCodesTheirAdvances(const EmbeddedFont& font, const std::map<GlyphId, GlyphId>& newGlyphIds,
                            std::string& program, std::vector<GlyphId>& glyphOfCode);

}  // namespace leafwright
