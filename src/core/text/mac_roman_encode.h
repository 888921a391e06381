#pragma once

#include <array>

namespace leafwright {

// The byte that stands for a character in the PDF font encoding the documents
// declare (/MacRomanEncoding): the character itself below 0x80, its Mac OS
// Roman code above, and "?" for a character that encoding cannot show.
char macRomanCode(char32_t character);

// The character a byte stands for in the Windows-1252 code page; the C1
// control of the same number for its five undefined bytes.
char32_t windows1252Character(unsigned char byte);

// The Mac OS Roman code of every byte of the Windows-1252 code page; its
// five undefined bytes, like every character beyond Mac OS Roman, map to "?".
const std::array<char, 256>& windows1252ToMacRoman();

}  // namespace leafwright
