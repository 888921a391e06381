#include "core/pdf/page_colour.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace leafwright {

Rgb pageColourOf(std::string_view pdfRgb) {
    std::uint8_t channels[3] = {0xFF, 0xFF, 0xFF};
    const char* at = pdfRgb.data();
    const char* end = pdfRgb.data() + pdfRgb.size();
    for (std::uint8_t& channel : channels) {
        while (at < end && *at == ' ') ++at;
        double value = 1;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || !(value >= 0 && value <= 1)) break;
        channel = static_cast<std::uint8_t>(std::lround(value * 255));
        at = next;
    }
    return {channels[0], channels[1], channels[2]};
}

}  // namespace leafwright
