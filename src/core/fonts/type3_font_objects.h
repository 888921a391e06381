#pragma once

#include <vector>

#include "core/fonts/embedded_font.h"
#include "core/fonts/font_objects.h"

namespace leafwright {

// The PDF objects of a font whose face draws colour bitmaps (emoji), as a
// Type 3 font of 1-byte codes whose glyphs paint pictures:
//   0. the Type 3 font (its number given), with its /Widths, /Encoding,
//      /CharProcs and /Resources,
//   1. the /ToUnicode CMap (code -> the characters it stands for, all of an
//      emoji sequence drawn as one glyph),
//   then for each glyph used, in glyph order: its glyph procedure ("d0",
//   which lets it paint in colour) and its picture, an RGB image XObject
//   laid on the page's colour, with that colour as its colour-key /Mask so
//   that whatever lies under the glyph's box shows around it. PDF 1.3 has
//   all of these; a soft mask would need 1.4.
// Objects from 1 on take the numbers from firstHelperNumber up. Pictures are
// always compressed (/FlateDecode), and without `compress` also
// ASCIIHex-encoded, so the file keeps only printable ASCII; the glyph
// procedures are short text.
int type3FontObjectCount(const EmbeddedFont& font);

std::vector<FontObject> type3FontObjects(const EmbeddedFont& font, int fontNumber,
                                         int firstHelperNumber, bool compress, Rgb page);

// Pictures are shrunk to at most this many pixels high: a glyph 12 points
// high is then still drawn at about 400 dots an inch.
inline constexpr std::size_t kGlyphPictureHeight = 72;

}  // namespace leafwright
