#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "core/fonts/standard_font_widths.h"

namespace leafwright {

// The advances of printable ASCII characters whose drawing is known (in
// thousandths of the font size), to measure plain text many bytes at a
// time: most text is plain ASCII.
class AsciiAdvances {
  public:
    static constexpr std::int32_t kUnknown = -1;

    AsciiAdvances() noexcept { std::fill(std::begin(advances_), std::end(advances_), kUnknown); }

    std::int32_t operator[](unsigned char byte) const noexcept {
        return byte < 0x80 ? advances_[byte] : kUnknown;
    }
    // Takes a printable character's advance; a negative one is not kept.
    void set(char32_t character, std::int64_t advance) noexcept {
        if (character >= 0x20 && character < 0x7F && advance >= 0 && advance <= INT32_MAX)
            advances_[character] = static_cast<std::int32_t>(advance);
    }
    // Every printable character's advance in a standard font, whose widths
    // are those of its codes.
    static AsciiAdvances of(const StandardFontWidths& widths) noexcept {
        AsciiAdvances advances;
        for (char32_t character = 0x20; character < 0x7F; ++character)
            advances.set(character, widths.width(static_cast<unsigned char>(character)));
        return advances;
    }

    // The length of the longest start of text made of known characters
    // that ends at most at `room`, the pen starting at `x`, which moves to
    // that start's end.
    std::size_t knownStart(std::string_view text, std::int64_t room,
                           std::int64_t& x) const noexcept;

  private:
    std::int32_t advances_[0x80];
};

// Eight bytes a step while they are all known and fit (one test for the
// eight: a byte above 0x7F sets its top bit, an unknown advance is
// negative), then one at a time.
inline std::size_t AsciiAdvances::knownStart(std::string_view text, std::int64_t room,
                                             std::int64_t& x) const noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t at = 0;
    std::int64_t pen = x;
    for (; at + 8 <= n; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + at, 8);
        if ((word & 0x8080808080808080u) != 0) break;
        const std::int32_t a0 = advances_[p[at]], a1 = advances_[p[at + 1]],
                           a2 = advances_[p[at + 2]], a3 = advances_[p[at + 3]],
                           a4 = advances_[p[at + 4]], a5 = advances_[p[at + 5]],
                           a6 = advances_[p[at + 6]], a7 = advances_[p[at + 7]];
        if ((a0 | a1 | a2 | a3 | a4 | a5 | a6 | a7) < 0) break;
        const std::int64_t next = pen + std::int64_t{a0} + a1 + a2 + a3 + a4 + a5 + a6 + a7;
        if (next > room) break;
        pen = next;
    }
    for (; at < n && p[at] < 0x80; ++at) {
        const std::int32_t advance = advances_[p[at]];
        if (advance < 0 || pen + advance > room) break;
        pen += advance;
    }
    x = pen;
    return at;
}

}  // namespace leafwright
