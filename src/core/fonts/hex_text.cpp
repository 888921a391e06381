#include "core/fonts/hex_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace leafwright {
namespace {

constexpr std::size_t kHexLineLength = 80;

}  // namespace

std::string decimalNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, std::round(value * 100) / 100,
                                   std::chars_format::fixed, 2);
    std::string result(text, end.ptr);
    while (result.back() == '0') result.pop_back();
    if (result.back() == '.') result.pop_back();
    return result == "-0" ? "0" : result;
}

std::string asciiHexStreamData(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2 + bytes.size() / 40 + 2);
    std::size_t lineLength = 0;
    for (unsigned char byte : bytes) {
        if (lineLength == kHexLineLength) {
            out += '\n';
            lineLength = 0;
        }
        appendHexByte(out, byte);
        lineLength += 2;
    }
    if (lineLength == kHexLineLength) out += '\n';
    out += '>';
    return out;
}

std::size_t lengthOnDisk(std::string_view data) {
    return data.size() + static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
}

}  // namespace leafwright
