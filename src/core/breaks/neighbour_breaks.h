#pragma once

#include <cstdint>

namespace leafwright {

// The characters whose line-break opportunities the characters right
// beside them decide, without the rest of the line: most of a Chinese or
// Japanese text (ideographs, kana, their full stops, commas and brackets),
// and letters, digits and spaces. A break between two of them is found
// without running the full break rules, which cost far more per row than
// the row's measuring.
enum class NeighbourClass : std::uint8_t {
    other,        // any other character, or none: the full rules decide
    letter,       // alphabetic (Latin, Arabic, Cyrillic...): no break inside a word
    digit,        // joins letters and digits as a letter does
    ideograph,    // ideographs and most kana: a break on either side
    closing,      // a full stop, a comma or a closing bracket: none before it
    opening,      // a wide opening bracket: none after it
    exclamation,  // ! and ? and their wide forms: none before them
    space,        // the plain space: none before it, one after a run of them
    // These five break after a run of spaces before a letter, a digit, an
    // ideograph or an opening bracket, as a word does; right beside other
    // characters the full rules mostly decide.
    infix,        // , . : ; and the like: none before it, none before a letter ("e.g")
    slash,        // /: none before it, a break before a letter or an ideograph
    hyphen,       // -: none before it (after a Hebrew letter, none after it either)
    sign,         // currency and percent signs, + and \ (before and after numbers)
    parenthesis,  // ) and ]: none before it
};

// The class of c. Every character of a class other than `other` is a
// grapheme cluster of its own and is not Hangul, so that a break between
// two of them is also a cluster boundary and splits no Korean word.
NeighbourClass neighbourClassOf(char32_t c) noexcept;

enum class NeighbourBreak { breaks, joins, unknown };

// Whether a line may break between a character of class `before` and one of
// class `after`. When `before` is a space, `beforeSpaces` is the class of
// the character before the run of spaces (`other` when the run starts the
// known text).
NeighbourBreak neighbourBreak(NeighbourClass beforeSpaces, NeighbourClass before,
                              NeighbourClass after) noexcept;

}  // namespace leafwright
