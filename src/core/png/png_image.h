#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace leafwright {

// A picture as 8-bit red, green, blue and alpha per pixel, rows from the
// top, alpha not premultiplied.
struct RgbaImage {
    std::size_t width = 0;
    std::size_t height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Decodes a PNG file held in memory, whatever its colour type and depth.
// Refuses, with std::runtime_error saying what is wrong, a file that is not
// a PNG, is cut short or damaged, or holds more than maxPixels pixels (so a
// small file cannot claim a huge picture).
RgbaImage decodePng(std::string_view bytes, std::size_t maxPixels);

}  // namespace leafwright
