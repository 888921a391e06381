#pragma once

#include <algorithm>
#include <bit>
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
        if (character >= 0x20 && character < 0x7F && advance >= 0 && advance <= INT32_MAX) {
            if (advances_[character] == advance) return;
            const bool wasUnknown = advances_[character] < 0;
            advances_[character] = static_cast<std::int32_t>(advance);
            if (wasUnknown) noteKnown();
            noteUniform();
        }
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
    // Whether text is made of known characters only, as
    // knownStart(text, INT64_MAX, x) == text.size() says; faster once at
    // most a few printable characters are unknown.
    bool allKnown(std::string_view text) const noexcept;

  private:
    // While this many or fewer printable characters are unknown, they are
    // looked for one by one (memchr) in text found to be printable ASCII.
    static constexpr int kFewUnknown = 4;
    void noteKnown() noexcept;
    void noteUniform() noexcept;
    // The length of the start of p[0, n) that is printable ASCII.
    static std::size_t printableStart(const unsigned char* p, std::size_t n) noexcept;

    std::int32_t advances_[0x80];
    int unknownCount_ = 0x7F - 0x20;
    unsigned char fewUnknown_[kFewUnknown] = {};
    // The advance all known printable characters share, 0 when they differ
    // (or share none): in a monospaced font, a text's known start is a
    // count of bytes.
    std::int32_t uniform_ = 0;
};

inline void AsciiAdvances::noteKnown() noexcept {
    if (--unknownCount_ > kFewUnknown) return;
    int found = 0;
    for (int character = 0x20; character < 0x7F; ++character)
        if (advances_[character] < 0) fewUnknown_[found++] = static_cast<unsigned char>(character);
}

inline void AsciiAdvances::noteUniform() noexcept {
    std::int32_t shared = kUnknown;
    for (int character = 0x20; character < 0x7F; ++character) {
        const std::int32_t advance = advances_[character];
        if (advance < 0) continue;
        if (shared >= 0 && advance != shared) {
            uniform_ = 0;
            return;
        }
        shared = advance;
    }
    uniform_ = std::max(shared, 0);
}

inline std::size_t AsciiAdvances::printableStart(const unsigned char* p, std::size_t n) noexcept {
    // Eight bytes a step: a byte below 0x20, at 0x7F or above it is
    // flagged by its top bit. A borrow only ever flags bytes after the
    // first such byte, so the lowest flag is the first byte that is not
    // printable.
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::size_t at = 0;
    for (; at + 8 <= n; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, p + at, 8);
        const std::uint64_t below = (word - 0x20 * kOnes) & ~word;
        const std::uint64_t del = word ^ (0x7F * kOnes);
        const std::uint64_t flags = (word | below | ((del - kOnes) & ~del)) & kHigh;
        if (flags == 0) continue;
        if constexpr (std::endian::native == std::endian::little)
            return at + static_cast<std::size_t>(std::countr_zero(flags)) / 8;
        break;
    }
    while (at < n && p[at] >= 0x20 && p[at] < 0x7F) ++at;
    return at;
}

inline bool AsciiAdvances::allKnown(std::string_view text) const noexcept {
    if (unknownCount_ > kFewUnknown) {
        std::int64_t x = 0;
        return knownStart(text, INT64_MAX, x) == text.size();
    }
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    if (printableStart(p, n) != n) return false;
    for (int k = 0; k < unknownCount_; ++k)
        if (std::memchr(text.data(), fewUnknown_[k], n) != nullptr) return false;
    return true;
}

// Eight bytes a step while they are all known and fit (one test for the
// eight: a byte above 0x7F sets its top bit, an unknown advance is
// negative), then one at a time; when all known advances are alike and
// few are unknown, a count of the printable bytes that fit.
inline std::size_t AsciiAdvances::knownStart(std::string_view text, std::int64_t room,
                                             std::int64_t& x) const noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t at = 0;
    std::int64_t pen = x;
    if (uniform_ > 0 && unknownCount_ <= kFewUnknown) {
        // All known characters alike: as many printable bytes as fit, cut
        // at the first unknown one. No room given is no bound (and no
        // overflow of room - pen).
        std::size_t fitting = n;
        if (room != INT64_MAX)
            fitting = room < pen ? 0
                                 : static_cast<std::size_t>(std::min<std::uint64_t>(
                                       n, static_cast<std::uint64_t>((room - pen) / uniform_)));
        at = printableStart(p, fitting);
        for (int k = 0; k < unknownCount_; ++k)
            if (const void* unknown = std::memchr(p, fewUnknown_[k], at))
                at = static_cast<std::size_t>(static_cast<const unsigned char*>(unknown) - p);
        x = pen + static_cast<std::int64_t>(at) * uniform_;
        return at;
    }
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
