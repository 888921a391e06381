#include "core/fonts/invisible_character.h"

#include <algorithm>

#include "core/fonts/unicode_tables.h"

namespace leafwright {

bool isInvisibleCharacter(char32_t character) {
    if (character < 0x20 || character == 0x7F) return true;
    const auto ranges = defaultIgnorableRanges();
    const auto range = std::lower_bound(
        ranges.begin(), ranges.end(), character,
        [](const CodePointRange& candidate, char32_t c) { return candidate.last < c; });
    return range != ranges.end() && range->first <= character;
}

}  // namespace leafwright
