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
// Throws std::runtime_error when the program is not a CFF it can read.
std::string cidKeyedCff(std::string_view cff, const std::vector<GlyphId>& glyphOfCid);

}  // namespace leafwright
