#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// A title for the outline as a PDF string, delimiters included: a literal
// string in PDFDocEncoding when every character is printable ASCII or a
// Latin-1 letter or sign (the same codes there), otherwise a hexadecimal
// string of UTF-16BE after the byte order mark FE FF. The text is UTF-8; a
// byte of a malformed sequence stands as "?". Only printable ASCII is
// written, so the text-mode writer changes nothing in it.
std::string outlineTitleString(std::string_view utf8);

// The file name of a path: what follows its last "/".
std::string_view fileNameOf(std::string_view path);

}  // namespace leafwright
