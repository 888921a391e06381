#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

// Rewrites a CFF font program (the bare 'CFF ' table of an OpenType face,
// name-keyed or CID-keyed) as a CID-keyed one, ordering Adobe-Identity-0,
// whose CID n is drawn by the program's glyph glyphOfCid[n]. A PDF reader
// takes the 2-byte codes of an Identity-H font as CIDs, so the codes can stay
// those the pages were written with: a glyph shown by several codes is
// copied for each. CID 0, and every CID whose glyph is 0, draws nothing.
// The global and local subroutines, the private dictionaries and the font
// dictionaries are kept as they are; each CID keeps the font dictionary of
// its glyph. glyphOfCid holds at most 65,535 entries (entry 0 is ignored).
// Where widthOfCid gives a CID a width (thousandths of the em), its
// charstring advances by it, so that the program agrees with the PDF's /W
// for readers that measure glyphs by the program (not in a program whose
// FontMatrix is not the usual one, nor for a charstring whose width is set
// by a subroutine).
// Throws std::runtime_error when the program is not a CFF it can read.
std::string cidKeyedCff(std::string_view cff, const std::vector<GlyphId>& glyphOfCid,
                        const std::vector<int>& widthOfCid = {});

}  // namespace leafwright
