#include "core/fonts/invisible_character.h"

#include <algorithm>
#include <bitset>

#include "core/fonts/unicode_tables.h"

namespace leafwright {
namespace {

bool inDefaultIgnorableRanges(char32_t character) {
    const auto ranges = defaultIgnorableRanges();
    const auto range = std::lower_bound(
        ranges.begin(), ranges.end(), character,
        [](const CodePointRange& candidate, char32_t c) { return candidate.last < c; });
    return range != ranges.end() && range->first <= character;
}

// The Basic Multilingual Plane's answers, read from the ranges once: the
// question is asked of every character of every shaped line.
const std::bitset<0x10000>& basicPlaneInvisibles() {
    static const std::bitset<0x10000> invisibles = [] {
        std::bitset<0x10000> made;
        for (char32_t c = 0; c < 0x20; ++c) made.set(c);
        // DEL and the C1 controls, which fonts of symbols draw as anything
        // (U+0080 as a logo).
        for (char32_t c = 0x7F; c < 0xA0; ++c) made.set(c);
        for (const CodePointRange& range : defaultIgnorableRanges())
            for (char32_t c = range.first; c <= range.last && c < 0x10000; ++c) made.set(c);
        return made;
    }();
    return invisibles;
}

}  // namespace

bool isInvisibleCharacter(char32_t character) {
    if (character < 0x10000) return basicPlaneInvisibles()[character];
    return inDefaultIgnorableRanges(character);
}

}  // namespace leafwright
