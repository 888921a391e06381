#include "core/fonts/hex_text.h"

#include <algorithm>
#include <array>
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
    // Filled in place, a line at a time, from the digits of every byte: a
    // font program takes most of a document's bytes.
    static const auto kPairs = [] {
        std::array<char, 512> pairs{};
        for (unsigned byte = 0; byte < 256; ++byte) {
            pairs[2 * byte] = kHexDigits[byte >> 4];
            pairs[2 * byte + 1] = kHexDigits[byte & 0xF];
        }
        return pairs;
    }();
    constexpr std::size_t kBytesPerLine = kHexLineLength / 2;
    const std::size_t n = bytes.size();
    // A line end between full lines, and after the last when it is full.
    const std::size_t lineEnds = n == 0 ? 0 : (n - 1) / kBytesPerLine + (n % kBytesPerLine == 0);
    std::string out(2 * n + lineEnds + 1, '>');
    char* at = out.data();
    for (std::size_t from = 0; from < n; from += kBytesPerLine) {
        const std::size_t end = std::min(n, from + kBytesPerLine);
        for (std::size_t i = from; i < end; ++i) {
            const char* pair = &kPairs[2 * static_cast<unsigned char>(bytes[i])];
            at[0] = pair[0];
            at[1] = pair[1];
            at += 2;
        }
        if (end - from == kBytesPerLine) *at++ = '\n';
    }
    return out;
}

std::size_t lengthOnDisk(std::string_view data) {
    return data.size() + static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
}

}  // namespace leafwright
