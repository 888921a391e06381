#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/fonts/document_fonts.h"

namespace leafwright {

struct ShapedLine;
class ShownGlyphs;

// What each glyph of a shaped line gives a text extractor: a piece of its
// cluster's text and the width of the box that piece covers.
struct GlyphText {
    std::u32string_view text;
    int width;  // thousandths of the font size
};

// The pieces of text the glyphs of a shaped line carry. A cluster's first
// glyph is as wide as the whole cluster, so that extractors see its text
// cover the cluster; the other glyphs keep their own widths.
//
// Where glyphs are read right to left (glyphsReadRightToLeft: the whole of
// a right-to-left line, the right-to-left runs of a left-to-right one) a
// cluster's text is spread over its glyphs, one
// character a glyph and the last glyph the rest, and the further pieces are
// boxes of no width inside the first: extractors that reverse a
// right-to-left word character by character would otherwise turn a letter
// and its marks around (a vowel sign before its consonant), and show a
// glyph without text as U+FFFD. Read left to right, the whole text stays
// on the first glyph: there the pieces' boxes, raised with their marks or
// standing back over their letters, make poppler end the word inside them.
// Read in the glyphs' order the pieces still give the cluster's text, which
// is all Unspool reads. The surplus glyphs of a cluster with more glyphs
// than characters carry no text.
std::vector<GlyphText> spreadClusterTexts(const ShapedLine& line);

// One code of a shaped line as it is drawn: where it stands from the line's
// start and how far it is raised (thousandths of the font size).
struct DrawnCode {
    ShownCharacter shown;
    int x;
    int yOffset;
    // An invisible direction mark for text extractors (DirectionMark), not
    // text of the source.
    bool mark = false;
};

// The codes that draw a shaped line, in its glyphs' order. Read left to
// right, a cluster of several glyphs of one face is one code
// that carries the cluster's whole text, as wide as the cluster, drawn by a
// composite of its glyphs wherever the face's program allows
// (DocumentFonts::showCluster): poppler then sees one box in the word and
// MuPDF no glyph without text. Every other glyph is a code of its own with
// its piece of the text (spreadClusterTexts); read right to left, a
// piece of several characters keeps the first, and each further one is a
// code that draws nothing, just before the cluster (poppler would turn the
// characters of one code around); a mark shaped in a run of its own, drawn
// on the glyph before it, is placed as a further piece of that glyph. A
// line also gets the direction marks of directionMarks, in their places
// among its glyphs' codes. A run of one invisible character repeated in
// place is one code. currentFont is the font the line starts in, where
// glyph 0 is written. known, when given, remembers the codes of single
// glyphs from line to line.
std::vector<DrawnCode> drawnCodes(DocumentFonts& fonts, const ShapedLine& line,
                                  std::size_t currentFont, ShownGlyphs* known = nullptr);

}  // namespace leafwright
