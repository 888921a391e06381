#include "core/png/png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <string>

namespace leafwright {
namespace {

struct Reading {
    std::string_view bytes;
    std::size_t at = 0;
    std::string error;
};

// libpng reports faults through a longjmp back into decodePng: no C++
// object with a destructor may live between the two.
[[noreturn]] void onError(png_structp png, png_const_charp message) {
    auto* reading = static_cast<Reading*>(png_get_error_ptr(png));
    reading->error = message ? message : "unreadable";
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    if (reading->bytes.size() - reading->at < length) png_error(png, "the picture is cut short");
    std::memcpy(out, reading->bytes.data() + reading->at, length);
    reading->at += length;
}

// The part that libpng may jump out of; returns false on a fault. Its
// locals are plain values, and the rows go straight into the image.
bool decodeInto(png_structp png, png_infop info, std::size_t maxPixels, RgbaImage& image,
                std::vector<png_bytep>& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > maxPixels / height)
        png_error(png, "the picture is larger than allowed");
    png_set_expand(png);  // palettes, grey below 8 bits and tRNS to full channels
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4)
        png_error(png, "unexpected row size");
    image.width = width;
    image.height = height;
    image.pixels.resize(image.width * image.height * 4);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) rows[y] = image.pixels.data() + y * image.width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

RgbaImage decodePng(std::string_view bytes, std::size_t maxPixels) {
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
        throw std::runtime_error("not a PNG picture");
    Reading reading;
    reading.bytes = bytes;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, onError, onWarning);
    if (!png) throw std::runtime_error("out of memory reading a PNG picture");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::runtime_error("out of memory reading a PNG picture");
    }
    png_set_read_fn(png, &reading, readBytes);
    // The same bound in libpng itself, and no chunk it keeps may be huge.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, 8 * 1024 * 1024);
    RgbaImage image;
    std::vector<png_bytep> rows;
    const bool read = decodeInto(png, info, maxPixels, image, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read) throw std::runtime_error("damaged PNG picture: " + reading.error);
    return image;
}

}  // namespace leafwright
