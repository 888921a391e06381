#pragma once

#include <cstddef>

namespace leafwright {

// Spaces, digits and ASCII punctuation: characters that text of every
// script uses. Inside a run of another script they are drawn in the run's
// face when it has them, so that a line changes font only where its
// script does and each word keeps one style.
constexpr bool isNeutralCharacter(char32_t character) {
    const char32_t folded = character | 0x20;
    return character >= 0x20 && character < 0x7F && !(folded >= U'a' && folded <= U'z');
}

// Whether a character is drawn in the face of the run it stands in, whose
// last visible character is in runFont (0 at a run's start, where every
// character takes its own face).
constexpr bool takesRunFace(char32_t character, std::size_t runFont) {
    return runFont != 0 && isNeutralCharacter(character);
}

}  // namespace leafwright
