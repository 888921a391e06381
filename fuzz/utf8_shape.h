#pragma once

// The fuzz targets' own judge of UTF-8, kept apart from the program's
// decoders so that it cannot share their faults: every sequence has the
// length its lead byte announces and continuation bytes only.

#include <cstddef>
#include <string_view>

inline bool isUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        const std::size_t length = c < 0x80         ? 1
                                   : (c >> 5) == 6  ? 2
                                   : (c >> 4) == 14 ? 3
                                   : (c >> 3) == 30 ? 4
                                                    : 0;
        if (length == 0 || at + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) return false;
        at += length;
    }
    return true;
}
