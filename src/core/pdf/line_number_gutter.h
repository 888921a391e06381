#pragma once

#include <cstdint>
#include <string>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Line numbers are set in the body's font at this share of its size.
inline constexpr double kFurnitureScale = 0.8;

// The width in points of the column left of the text that holds line
// numbers: the digits of the largest number plus one digit, in the body's
// font at kFurnitureScale of its size. 0 when lines are not numbered. The
// text moves right by it and its area narrows by it.
double gutterWidth(const ConversionSettings& settings, std::uint64_t largestLineNumber);

// Whether the source line with this number shows it: every N-th number
// (N from the line-numbers setting), counting from the first line's number.
bool showsLineNumber(const ConversionSettings& settings, std::uint64_t lineNumber);

// The number the line at index (from 0) of the source carries.
std::uint64_t lineNumberOf(const ConversionSettings& settings, std::uint64_t index);

}  // namespace leafwright
