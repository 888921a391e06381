#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace leafwright {

// Whether a character is strongly left-to-right, or right-to-left, by
// Unicode's bidirectional classes (a Latin letter, a Hebrew or Arabic one);
// digits and punctuation are neither, as they take the direction of the
// text around them.
bool isStrongLeftToRight(char32_t character);
bool isStrongRightToLeft(char32_t character);

// Whether a character belongs to a number by those classes: a digit (of
// any script), a sign or separator within a number ("+", "-", ",", ".",
// ":", "/"), or a sign around one ("%", "#", "$"). Text extractors read
// these left to right, as they read Latin letters.
bool isNumberLike(char32_t character);

// The embedding level of each character of a left-to-right paragraph by
// Unicode's bidirectional algorithm: 0 for its own direction, odd inside a
// right-to-left run, 2 and up for numbers and Latin text inside that.
// All 0 when the algorithm fails (out of memory).
std::vector<std::uint8_t> leftToRightParagraphLevels(std::u32string_view text);

}  // namespace leafwright
