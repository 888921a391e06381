#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace leafwright {

// How wide each field of a header or footer (left, centre, right) may be
// drawn in a band `room` wide, so that none runs past the band's ends or
// into another, with at least `gap` between two fields. A centred field
// takes half its width on each side of the middle. Fields that fit keep
// their widths; otherwise the narrower of the two claims keeps its width
// and the wider takes what it leaves, or both take half when both are
// wide. Empty fields (width 0) stay empty; a room of 0 or less shows none.
std::array<double, 3> bandFieldRoom(const std::array<double, 3>& widths, double room, double gap);

// What a header or footer keeps between two fields: the width of a space.
inline constexpr std::string_view kFieldGap = " ";
// What ends a field that was cut short.
inline constexpr std::string_view kFieldCut = "\u2026";

// The text of a field as drawn at most `room` wide, width giving the width
// of UTF-8 text as drawn: the text itself when it fits, else its longest
// start at a grapheme-cluster boundary that fits with kFieldCut after it
// (the white space before the cut dropped), else nothing.
std::string fieldWithin(const std::string& text, double room,
                        const std::function<double(std::string_view)>& width);

}  // namespace leafwright
