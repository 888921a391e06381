#pragma once

namespace leafwright {

// A character that draws nothing and takes no room on the page, but must
// still be written so that the text comes back whole: tab, the C0 and C1
// controls, DEL and Unicode's default-ignorable code points (zero-width
// space, soft hyphen, joiners, variation selectors, the byte-order mark...).
bool isInvisibleCharacter(char32_t character);

}  // namespace leafwright
