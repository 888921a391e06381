#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

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

}  // namespace leafwright
