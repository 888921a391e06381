#include "core/fonts/strong_direction.h"

#include <fribidi.h>

#include <algorithm>

static_assert(sizeof(FriBidiChar) == sizeof(char32_t));

namespace leafwright {

bool isStrongLeftToRight(char32_t character) {
    return fribidi_get_bidi_type(static_cast<FriBidiChar>(character)) == FRIBIDI_TYPE_LTR;
}

bool isStrongRightToLeft(char32_t character) {
    const FriBidiCharType type = fribidi_get_bidi_type(static_cast<FriBidiChar>(character));
    return type == FRIBIDI_TYPE_RTL || type == FRIBIDI_TYPE_AL;
}

bool isNumberLike(char32_t character) {
    switch (fribidi_get_bidi_type(static_cast<FriBidiChar>(character))) {
        case FRIBIDI_TYPE_EN:
        case FRIBIDI_TYPE_AN:
        case FRIBIDI_TYPE_ES:
        case FRIBIDI_TYPE_ET:
        case FRIBIDI_TYPE_CS:
            return true;
        default:
            return false;
    }
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
