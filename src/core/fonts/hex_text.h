#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// The digits of every hex string and stream the program writes: upper case.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Writes a 2-byte code as four upper-case hex digits ("0041"), the form of
// the codes inside a hex string such as <00410042>, at `at`; returns the end.
inline char* putHexCode(char* at, std::uint16_t code) {
    at[0] = kHexDigits[code >> 12];
    at[1] = kHexDigits[(code >> 8) & 0xF];
    at[2] = kHexDigits[(code >> 4) & 0xF];
    at[3] = kHexDigits[code & 0xF];
    return at + 4;
}

// A byte as two upper-case hex digits ("4F"), appended to out.
inline void appendHexByte(std::string& out, std::uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xF];
}

// The same, appended to out.
inline void appendHexCode(std::string& out, std::uint16_t code) {
    char digits[4];
    putHexCode(digits, code);
    out.append(digits, 4);
}

// A character as UTF-16 in hex digits, a surrogate pair above U+FFFF
// ("D83DDE00"), appended to out: the text of a Unicode map or of a title.
inline void appendUtf16Hex(std::string& out, char32_t character) {
    if (character < 0x10000) {
        appendHexCode(out, static_cast<std::uint16_t>(character));
    } else {
        const char32_t offset = character - 0x10000;
        appendHexCode(out, static_cast<std::uint16_t>(0xD800 + (offset >> 10)));
        appendHexCode(out, static_cast<std::uint16_t>(0xDC00 + (offset & 0x3FF)));
    }
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
