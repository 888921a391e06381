#pragma once

#include <string_view>

#include "core/fonts/font_face.h"

namespace leafwright {

// The page's colour as bytes, from its PDF numbers ("1 1 0.5"), on which the
// pictures of colour glyphs are laid. A number missing or out of range
// counts as white's.
Rgb pageColourOf(std::string_view pdfRgb);

}  // namespace leafwright
