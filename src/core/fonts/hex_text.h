#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// Appends a 2-byte code as four upper-case hex digits ("0041"), the form of
// the codes inside a hex string such as <00410042>.
void appendHexCode(std::string& out, std::uint16_t code);

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
