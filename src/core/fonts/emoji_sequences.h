#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace leafwright {

// Whether a character joins an emoji with its neighbours into one picture,
// so that a line holding it must be shaped: the zero-width joiner, the
// combining keycap, the skin-tone modifiers, the regional indicators (two
// make a flag) and the tag characters (subdivision flags).
bool joinsEmoji(char32_t character);

// The emoji sequences of a line that one glyph may draw: a character with
// skin-tone modifiers, a keycap or tags after it, characters joined by
// zero-width joiners, and pairs of regional indicators; as [start, end)
// offsets, in order. A character followed by nothing but the emoji
// presentation selector (U+FE0F) is no sequence: a face that has the
// character draws it.
std::vector<std::pair<std::size_t, std::size_t>> emojiSequences(std::u32string_view line);

}  // namespace leafwright
