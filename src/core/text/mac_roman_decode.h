#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The Unicode code point of a byte in the Mac OS Roman encoding, the one the
// PDF strings Leafwright writes are in (/MacRomanEncoding). Bytes below 0x80
// are ASCII; 0xDB is the currency sign U+00A4, as in the PDF encoding.
char32_t macRomanToUnicode(unsigned char byte);

// The UTF-8 form of a Mac OS Roman byte (one to three bytes).
std::string_view macRomanAsUtf8(unsigned char byte);

// Appends the UTF-8 form of a Mac OS Roman byte to out.
void appendMacRomanAsUtf8(unsigned char byte, std::string& out);

}  // namespace leafwright
