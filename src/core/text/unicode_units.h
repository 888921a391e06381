#pragma once

#include <memory>
#include <string_view>

#include "core/platform/text_converter.h"

namespace leafwright {

// UTF-16 and UTF-32 in either byte order, turned into UTF-8 by the program
// itself (several times faster than through iconv, and they are the most
// common encodings after UTF-8 and the single-byte ones). An unpaired
// surrogate, a unit above U+10FFFF and an odd unit at the end each become
// one U+FFFD, as iconv has them. nullptr for any other name (compared as
// iconv does, without case, "-" or "_").
std::unique_ptr<TextConverter> unicodeUnitsConverter(std::string_view name);

}  // namespace leafwright
