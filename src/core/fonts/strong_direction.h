#pragma once

namespace leafwright {

// Whether a character is strongly left-to-right, or right-to-left, by
// Unicode's bidirectional classes (a Latin letter, a Hebrew or Arabic one);
// digits and punctuation are neither, as they take the direction of the
// text around them.
bool isStrongLeftToRight(char32_t character);
bool isStrongRightToLeft(char32_t character);

}  // namespace leafwright
