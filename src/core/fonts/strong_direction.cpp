#include "core/fonts/strong_direction.h"

#include <fribidi.h>

#include <algorithm>
#include <array>

static_assert(sizeof(FriBidiChar) == sizeof(char32_t));

namespace leafwright {
namespace {

enum StrongClass : std::uint8_t {
    kNeither = 0,
    kLeftToRight = 1,
    kRightToLeft = 2,
    kNumberLike = 4,
};

std::uint8_t classOf(char32_t character) {
    switch (fribidi_get_bidi_type(static_cast<FriBidiChar>(character))) {
        case FRIBIDI_TYPE_LTR:
            return kLeftToRight;
        case FRIBIDI_TYPE_RTL:
        case FRIBIDI_TYPE_AL:
            return kRightToLeft;
        case FRIBIDI_TYPE_EN:
        case FRIBIDI_TYPE_AN:
        case FRIBIDI_TYPE_ES:
        case FRIBIDI_TYPE_ET:
        case FRIBIDI_TYPE_CS:
            return kNumberLike;
        default:
            return kNeither;
    }
}

// Every character of a shaped line is asked about, several times: the
// classes of the Basic Multilingual Plane are looked up once, in a table
// made at the first question (a static's start is safe among threads).
std::uint8_t strongClass(char32_t character) {
    if (character >= 0x10000) return classOf(character);
    static const std::array<std::uint8_t, 0x10000> table = [] {
        std::array<std::uint8_t, 0x10000> classes{};
        for (char32_t c = 0; c < 0x10000; ++c) classes[c] = classOf(c);
        return classes;
    }();
    return table[character];
}

}  // namespace

bool isStrongLeftToRight(char32_t character) {
    return strongClass(character) == kLeftToRight;
}

bool isStrongRightToLeft(char32_t character) {
    return strongClass(character) == kRightToLeft;
}

bool isNumberLike(char32_t character) {
    return strongClass(character) == kNumberLike;
}

std::vector<std::uint8_t> leftToRightParagraphLevels(std::u32string_view text) {
    const auto count = static_cast<FriBidiStrIndex>(text.size());
    const auto* characters = reinterpret_cast<const FriBidiChar*>(text.data());
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    fribidi_get_bidi_types(characters, count, types.data());
    fribidi_get_bracket_types(characters, count, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_LTR;
    std::vector<std::uint8_t> result(text.size(), 0);
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction,
                                            levels.data()) == 0)
        return result;
    std::transform(levels.begin(), levels.end(), result.begin(),
                   [](FriBidiLevel level) { return static_cast<std::uint8_t>(level); });
    return result;
}

}  // namespace leafwright
