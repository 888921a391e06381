#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The UTF-8 form of a byte in the Mac OS Roman encoding, the one the PDF
// strings Leafwright writes are in (/MacRomanEncoding; one to three bytes,
// the character mac_roman_table.h gives).
std::string_view macRomanAsUtf8(unsigned char byte);

// Appends the UTF-8 form of a Mac OS Roman byte to out.
void appendMacRomanAsUtf8(unsigned char byte, std::string& out);

}  // namespace leafwright
