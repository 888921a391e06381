#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// Writes a 2-byte code as four upper-case hex digits ("0041"), the form of
// the codes inside a hex string such as <00410042>, at `at`; returns the end.
inline char* putHexCode(char* at, std::uint16_t code) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    at[0] = kDigits[code >> 12];
    at[1] = kDigits[(code >> 8) & 0xF];
    at[2] = kDigits[(code >> 4) & 0xF];
    at[3] = kDigits[code & 0xF];
    return at + 4;
}

// The same, appended to out.
inline void appendHexCode(std::string& out, std::uint16_t code) {
    char digits[4];
    putHexCode(digits, code);
    out.append(digits, 4);
}

// A number as a PDF writes it: plain decimal with at most two places ("-12",
// "-12.5"), never "-0".
std::string decimalNumber(double value);

// Binary data as the body of an /ASCIIHexDecode stream: upper-case hex digits
// in lines of at most 80 characters ("\n" between lines), ending with the
// end-of-data marker ">". Keeps binary bytes out of the file, which stays a
// text file.
std::string asciiHexStreamData(std::string_view bytes);

// The /Length of stream data once each "\n" in it is written as CR LF.
std::size_t lengthOnDisk(std::string_view data);

}  // namespace leafwright
