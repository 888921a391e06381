#include "core/fonts/shaping_need.h"

#include <algorithm>

#include "core/fonts/emoji_sequences.h"
#include "core/fonts/unicode_tables.h"

namespace leafwright {

bool needsShaping(char32_t character) {
    // Everything below the combining diacritics (Latin, its accented
    // letters, spacing modifiers) draws one glyph per character.
    if (character < 0x0300) return false;
    if (joinsEmoji(character)) return true;
    const auto ranges = shapingRanges();
    const auto range = std::lower_bound(
        ranges.begin(), ranges.end(), character,
        [](const CodePointRange& candidate, char32_t c) { return candidate.last < c; });
    return range != ranges.end() && range->first <= character;
}

bool needsShaping(std::u32string_view line) {
    return std::any_of(line.begin(), line.end(), [](char32_t c) { return needsShaping(c); });
}

}  // namespace leafwright
