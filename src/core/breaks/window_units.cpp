#include "core/breaks/window_units.h"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>

namespace leafwright {

bool WindowUnits::take(std::string_view text) {
    count_ = 0;
    if (byteOfUnit_.empty()) byteOfUnit_.push_back(0);
    byteOfUnit_[0] = 0;
    if (text.size() > kLargest) return false;
    // A character takes at least as many bytes as units, so the text's size
    // bounds the units.
    if (units_.size() < text.size()) {
        units_.resize(text.size());
        byteOfUnit_.resize(text.size() + 1);
    }
    char16_t* units = units_.data();
    std::int32_t* offsets = byteOfUnit_.data();
    std::size_t at = 0;
    std::int32_t unit = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {  // most text
            offsets[unit] = static_cast<std::int32_t>(at);
            units[unit++] = lead;
            ++at;
            continue;
        }
        // Three bytes whose lead allows any continuation (no overlong form,
        // no surrogate): the ideographs and kana among them.
        if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && at + 2 < text.size()) {
            const auto second = static_cast<unsigned char>(text[at + 1]);
            const auto third = static_cast<unsigned char>(text[at + 2]);
            if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
                offsets[unit] = static_cast<std::int32_t>(at);
                units[unit++] = static_cast<char16_t>(((lead & 0x0F) << 12) |
                                                      ((second & 0x3F) << 6) | (third & 0x3F));
                at += 3;
                continue;
            }
        }
        // ICU's reading refuses overlong forms, surrogates and values past
        // U+10FFFF: such a window is read as UTF-8 instead.
        auto next = static_cast<std::int32_t>(at);
        UChar32 c;
        U8_NEXT(reinterpret_cast<const std::uint8_t*>(text.data()), next,
                static_cast<std::int32_t>(text.size()), c);
        if (c < 0) return false;
        const auto length = static_cast<std::size_t>(next) - at;
        offsets[unit] = static_cast<std::int32_t>(at);
        if (c < 0x10000) {
            units[unit++] = static_cast<char16_t>(c);
        } else {
            units[unit++] = static_cast<char16_t>(0xD7C0 + (c >> 10));
            offsets[unit] = static_cast<std::int32_t>(at);  // inside the pair
            units[unit++] = static_cast<char16_t>(0xDC00 | (c & 0x3FF));
        }
        at += length;
    }
    offsets[unit] = static_cast<std::int32_t>(at);
    count_ = unit;
    return true;
}

std::int32_t WindowUnits::unitOf(std::int32_t index) const noexcept {
    const std::int32_t* offsets = byteOfUnit_.data();
    // The last unit that starts at or before the byte, then back to the
    // first unit of its character.
    auto unit = static_cast<std::int32_t>(std::upper_bound(offsets, offsets + count_ + 1, index) -
                                          offsets) -
                1;
    while (unit > 0 && offsets[unit - 1] == offsets[unit]) --unit;
    return unit;
}

}  // namespace leafwright
