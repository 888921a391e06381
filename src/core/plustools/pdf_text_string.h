#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// The text of a PDF text string (a title, say) in UTF-8: UTF-16BE after its
// byte order mark FE FF, UTF-8 after EF BB BF, PDFDocEncoding otherwise.
// Bytes that stand for no character come out as U+FFFD.
std::string pdfTextStringToUtf8(std::string_view bytes);

}  // namespace leafwright
