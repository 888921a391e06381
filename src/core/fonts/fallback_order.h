#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

// The look of a standard font, which the faces of other scripts follow.
enum class FontLook { serif, sans, mono };

// Times is serif, Helvetica sans, Courier mono; any other name serif.
FontLook fontLookOf(std::string_view baseFont);

// The families that draw characters of a script, best first, for a document
// in the given look. `scriptTag` is the script's ISO 15924 code ("Latn",
// "Deva", "Hang"). A script the order does not know, and the characters
// common to all scripts ("Zyyy": punctuation, symbols, emoji), get an empty
// list, and fontconfig chooses for them.
//
// The order is fixed in the program, so the face a script gets depends only
// on which of these families are installed, never on what else is.
std::vector<std::string> fallbackFamilies(std::string_view scriptTag, FontLook look);

// The first family of `families` for which `usable` holds; empty when none.
std::string firstUsableFamily(const std::vector<std::string>& families,
                              const std::function<bool(const std::string&)>& usable);

}  // namespace leafwright
