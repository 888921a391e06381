#pragma once

#include <memory>
#include <string>

#include "core/platform/text_converter.h"

namespace leafwright {

// A converter from the encoding of that name (any name the system's iconv
// knows, in any case) to UTF-8; nullptr when iconv knows no such encoding.
// What it learns of the encoding by trying it: whether it has shift states
// (its encoder writes something to return to its start state), the bytes of
// its line feed, and the size of its code units (what an invalid sequence
// skips: two bytes in UTF-16, four in UTF-32, one elsewhere).
std::unique_ptr<TextConverter> iconvConverter(const std::string& name);

// Whether the system's iconv can read from the encoding of that name.
bool iconvKnowsEncoding(const std::string& name);

}  // namespace leafwright
