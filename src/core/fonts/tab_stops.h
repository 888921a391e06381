#pragma once

#include <cmath>
#include <cstdint>

namespace leafwright {

// Where a tab moves the text: to the next tab stop. Stops stand every
// kSpacesPerTabStop widths of the font's space from the start of the line
// (its right end, in a right-to-left line); a tab at a stop goes on to the
// next one. The page-measuring model counts a tab alike in columns: to the
// next multiple of kSpacesPerTabStop. Every drawing and measuring of a tab
// goes through here.
inline constexpr int kSpacesPerTabStop = 8;

// The distance between two stops in the unit of spaceWidth.
constexpr std::int64_t tabStopDistance(std::int64_t spaceWidth) {
    return kSpacesPerTabStop * spaceWidth;
}

// The stop a tab at `position` moves to; `position` itself when there are no
// stops (a distance of 0 or less).
constexpr std::int64_t nextTabStop(std::int64_t position, std::int64_t distance) {
    return distance > 0 ? (position / distance + 1) * distance : position;
}

// The same for a pen position of a shaped line: a position a rounding error
// short of a stop counts as standing at it.
inline double nextTabStop(double position, double distance) {
    return distance > 0 ? (std::floor(position / distance + 1e-9) + 1) * distance : position;
}

// The column a tab at `column` moves to, in the page-measuring model.
constexpr std::uint64_t nextTabColumn(std::uint64_t column) {
    return static_cast<std::uint64_t>(
        nextTabStop(static_cast<std::int64_t>(column), kSpacesPerTabStop));
}

}  // namespace leafwright
