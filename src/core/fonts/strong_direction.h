#pragma once

namespace leafwright {

// Whether a character is strongly left-to-right by Unicode's bidirectional
// classes (a Latin, Greek or Cyrillic letter, but not a digit or a
// punctuation mark, which take the direction of the text around them).
bool isStrongLeftToRight(char32_t character);

}  // namespace leafwright
