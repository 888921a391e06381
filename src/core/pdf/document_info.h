#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The body of the PDF string that holds a document-information value. A value
// made only of ASCII is kept as it is; any other is written as UTF-16BE after
// the byte-order mark FE FF, so that viewers show its characters. Then every
// backslash is doubled, "(" and ")" get a backslash, and CR and LF become \r
// and \n, so that no value can end the string early or break the line.
std::string documentInfoString(std::string_view value);

}  // namespace leafwright
