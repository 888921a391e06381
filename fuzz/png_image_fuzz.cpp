// Decodes arbitrary bytes as a PNG picture, as the colour glyphs of an emoji
// face are read: the decoder either refuses them with std::runtime_error or
// gives a picture of at most the pixels allowed, four bytes each.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "core/png/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kAllowed = 64 * 64;
    leafwright::RgbaImage image;
    try {
        image = leafwright::decodePng(std::string_view(reinterpret_cast<const char*>(data), size),
                                      kAllowed);
    } catch (const std::runtime_error&) {
        return 0;
    }
    if (image.width == 0 || image.height == 0 || image.width * image.height > kAllowed ||
        image.pixels.size() != image.width * image.height * 4) {
        std::fprintf(stderr, "png image: a picture of the wrong size\n");
        std::abort();
    }
    return 0;
}
