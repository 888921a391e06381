#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace leafwright {

// Characters held in memory as UTF-8 bytes: a text costs about what it took
// in the source. Every value below 0x200000 keeps its own form (surrogates
// included, so nothing is ever changed); a larger one, which no decoder
// gives, is held as U+FFFD.
inline void appendCompactText(std::string& out, std::u32string_view text) {
    for (char32_t c : text) {
        if (c >= 0x200000) c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
}

// The characters of bytes that appendCompactText wrote.
inline std::u32string compactTextCharacters(std::string_view bytes) {
    std::u32string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < bytes.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        text.push_back(c);
        i += length;
    }
    return text;
}

}  // namespace leafwright
