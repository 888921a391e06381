#pragma once

#include <string_view>

namespace leafwright {

// Whether a line must be shaped to be drawn right: it holds a combining
// mark, a right-to-left or direction control character, a letter of a
// script whose letters join or reorder (Arabic, Hebrew, the Indic and
// South-East Asian scripts...), or a character that joins emoji into one
// (emoji_sequences.h). Any other line is drawn one glyph per
// character. From the program's own Unicode tables.
bool needsShaping(char32_t character);
bool needsShaping(std::u32string_view line);

}  // namespace leafwright
