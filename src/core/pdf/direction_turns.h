#pragma once

#include <cstddef>
#include <optional>

namespace leafwright {

struct ShapedLine;

// Where the code of glyph g of a right-to-left line stands, with no
// advance and its outline moved back to where it is drawn, when g meets a
// run of left-to-right letters inside a word; nothing for every other
// glyph (thousandths of the font size, from the line's start).
//
// MuPDF reads a line's codes in their order and measures each from the pen
// the one before left (its start plus its advance). Once a left-to-right
// letter turns its reading around, a code more than 0.8 em from the pen
// starts a new line, which cuts "%s", "(EULA)" or "'apt" in two: the run
// stands to the left of the glyph before it, and the glyph after it to the
// left of the run. So the glyph before the run gives no advance (and, when
// the run starts further away and the glyph is no right-to-left letter,
// stands at the run's start), and a neutral glyph after a long run stands
// at the run's end. A right-to-left letter stays where it is: poppler
// orders it by where it stands, and finds "ה־PAM" only so.
std::optional<int> turnCodePlace(const ShapedLine& line, std::size_t g);

}  // namespace leafwright
