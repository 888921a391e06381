#include "core/breaks/neighbour_breaks.h"

#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <array>

namespace leafwright {
namespace {

NeighbourClass lookedUp(char32_t c) noexcept {
    const auto code = static_cast<UChar32>(c);
    if (u_getIntPropertyValue(code, UCHAR_GRAPHEME_CLUSTER_BREAK) != U_GCB_OTHER)
        return NeighbourClass::other;
    UErrorCode status = U_ZERO_ERROR;
    if (uscript_getScript(code, &status) == USCRIPT_HANGUL || U_FAILURE(status))
        return NeighbourClass::other;
    switch (u_getIntPropertyValue(code, UCHAR_LINE_BREAK)) {
        case U_LB_ALPHABETIC:
            return NeighbourClass::letter;
        case U_LB_NUMERIC:
            return NeighbourClass::digit;
        case U_LB_IDEOGRAPHIC:
            return NeighbourClass::ideograph;
        case U_LB_CLOSE_PUNCTUATION:
            return NeighbourClass::closing;
        case U_LB_EXCLAMATION:
            return NeighbourClass::exclamation;
        case U_LB_SPACE:
            return NeighbourClass::space;
        case U_LB_INFIX_NUMERIC:
            return NeighbourClass::infix;
        case U_LB_BREAK_SYMBOLS:
            return NeighbourClass::slash;
        case U_LB_HYPHEN:
            return NeighbourClass::hyphen;
        case U_LB_PREFIX_NUMERIC:
        case U_LB_POSTFIX_NUMERIC:
            return NeighbourClass::sign;
        case U_LB_CLOSE_PARENTHESIS:
            return NeighbourClass::parenthesis;
        case U_LB_OPEN_PUNCTUATION: {
            // A letter or digit joins a narrow opening bracket that follows
            // it, as in "f(x)"; only the wide ones stand apart.
            const auto width = u_getIntPropertyValue(code, UCHAR_EAST_ASIAN_WIDTH);
            if (width == U_EA_WIDE || width == U_EA_FULLWIDTH || width == U_EA_HALFWIDTH)
                return NeighbourClass::opening;
            return NeighbourClass::other;
        }
        default:
            return NeighbourClass::other;
    }
}

std::array<NeighbourClass, 128> asciiClasses() noexcept {
    std::array<NeighbourClass, 128> classes{};
    for (char32_t c = 0; c < 128; ++c) classes[c] = lookedUp(c);
    return classes;
}

}  // namespace

NeighbourClass neighbourClassOf(char32_t c) noexcept {
    static const std::array<NeighbourClass, 128> ascii = asciiClasses();
    if (c < 128) return ascii[c];
    // The unified ideographs, most of a Chinese text.
    if (c >= 0x4E00 && c <= 0x9FFF) return NeighbourClass::ideograph;
    if (c > 0x10FFFF) return NeighbourClass::other;
    return lookedUp(c);
}

NeighbourBreak neighbourBreak(NeighbourClass beforeSpaces, NeighbourClass before,
                              NeighbourClass after) noexcept {
    using C = NeighbourClass;
    if (before == C::other || after == C::other) return NeighbourBreak::unknown;
    // Nothing breaks before a space, a closing mark or an exclamation, even
    // after spaces.
    if (after == C::space || after == C::closing || after == C::parenthesis ||
        after == C::exclamation)
        return NeighbourBreak::joins;
    const bool startsWord =
        after == C::letter || after == C::digit || after == C::ideograph || after == C::opening;
    if (before == C::space) {
        if (!startsWord || beforeSpaces == C::other || beforeSpaces == C::space)
            return NeighbourBreak::unknown;
        // An opening bracket holds to what follows across spaces.
        return beforeSpaces == C::opening ? NeighbourBreak::joins : NeighbourBreak::breaks;
    }
    // Nor before a comma, a full stop, a slash or a hyphen right after a
    // character, nor after an opening bracket.
    if (after == C::infix || after == C::slash || after == C::hyphen || before == C::opening)
        return NeighbourBreak::joins;
    if (before == C::infix && after == C::letter) return NeighbourBreak::joins;
    if (before == C::slash && (after == C::letter || after == C::ideograph))
        return NeighbourBreak::breaks;
    // Numbers and their signs, hyphens after Hebrew, brackets before words:
    // the full rules.
    if (!startsWord || before == C::infix || before == C::slash || before == C::hyphen ||
        before == C::sign || before == C::parenthesis)
        return NeighbourBreak::unknown;
    const auto alphanumeric = [](C c) { return c == C::letter || c == C::digit; };
    if (alphanumeric(before) && alphanumeric(after)) return NeighbourBreak::joins;
    return NeighbourBreak::breaks;
}

}  // namespace leafwright
