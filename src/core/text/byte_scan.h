#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace leafwright {

// Counts, in one pass over the bytes, how many bytes each test holds for
// (each test takes an unsigned char and returns bool). The counts are kept
// in byte-wide counters over runs of at most 255 bytes, which lets the
// compiler compare many bytes per instruction.
template <typename... Tests>
std::array<std::uint64_t, sizeof...(Tests)> countBytes(std::string_view bytes, Tests... tests) {
    std::array<std::uint64_t, sizeof...(Tests)> totals{};
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    while (n > 0) {
        const std::size_t run = std::min<std::size_t>(n, 255);
        std::array<unsigned char, sizeof...(Tests)> inRun{};
        for (std::size_t i = 0; i < run; ++i) {
            const unsigned char byte = p[i];
            std::size_t test = 0;
            ((inRun[test++] += static_cast<unsigned char>(tests(byte))), ...);
        }
        for (std::size_t test = 0; test < totals.size(); ++test) totals[test] += inRun[test];
        p += run;
        n -= run;
    }
    return totals;
}

// The first byte from `from` on for which the test holds, or bytes.size().
// Sixteen bytes a step are looked at with SSE2 (part of every x86-64
// processor), where matches(bytes) gives the bytes that hold as a mask, one
// bit a byte; the rest one byte at a time.
template <typename Test, typename Matches>
std::size_t findByte(std::string_view bytes, std::size_t from, Test test,
                     [[maybe_unused]] Matches matches) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t at = from;
#if defined(__SSE2__)
    for (; at + 16 <= bytes.size(); at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        if (const unsigned mask = matches(block))
            return at + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (at < bytes.size() && !test(p[at])) ++at;
    return at;
}

// The first of the bytes a, b and c from `from` on, or bytes.size().
inline std::size_t findAnyOf(std::string_view bytes, std::size_t from, char a, char b, char c) {
    return findByte(
        bytes, from,
        [=](unsigned char x) {
            return x == static_cast<unsigned char>(a) || x == static_cast<unsigned char>(b) ||
                   x == static_cast<unsigned char>(c);
        },
#if defined(__SSE2__)
        [=](__m128i block) {
            const __m128i any = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(a)),
                                                          _mm_cmpeq_epi8(block, _mm_set1_epi8(b))),
                                             _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
            return static_cast<unsigned>(_mm_movemask_epi8(any));
        }
#else
        nullptr
#endif
    );
}

// The first byte above 0x7F from `from` on, or bytes.size().
inline std::size_t findHighByte(std::string_view bytes, std::size_t from) {
    return findByte(
        bytes, from, [](unsigned char x) { return x >= 0x80; },
#if defined(__SSE2__)
        [](__m128i block) { return static_cast<unsigned>(_mm_movemask_epi8(block)); }
#else
        nullptr
#endif
    );
}

}  // namespace leafwright
