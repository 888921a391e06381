// The PNG decoder against pictures made here with zlib: colour types it must
// expand to RGBA, and damaged or cut files, which it must refuse without
// crashing or reading past their end.
#include "core/png/png_image.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace leafwright {
namespace {

void appendBig32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void appendChunk(std::string& out, const char* type, const std::string& data) {
    appendBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    appendBig32(out,
                static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                 static_cast<uInt>(typed.size()))));
}

// A PNG of the given rows (each already holding its pixels' bytes), with
// filter 0 on every row.
std::string pngOf(std::uint32_t width, std::uint32_t height, int colourType, int depth,
                  const std::vector<std::string>& rows, const std::string& palette = "") {
    std::string raw;
    for (const std::string& row : rows) raw += '\0' + row;
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    std::string header;
    appendBig32(header, width);
    appendBig32(header, height);
    header += static_cast<char>(depth);
    header += static_cast<char>(colourType);
    header += std::string(3, '\0');
    std::string png = "\x89PNG\r\n\x1a\n";
    appendChunk(png, "IHDR", header);
    if (!palette.empty()) appendChunk(png, "PLTE", palette);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", "");
    return png;
}

std::vector<int> pixelsOf(const RgbaImage& image) {
    return {image.pixels.begin(), image.pixels.end()};
}

TEST(PngImage, ExpandsEveryColourTypeToRgba) {
    // Two pixels a row, two rows.
    const std::string rgba = pngOf(2, 2, 6, 8,
                                   {std::string("\x10\x20\x30\x40\xFF\x00\x00\xFF", 8),
                                    std::string("\x00\xFF\x00\x80\x00\x00\xFF\x00", 8)});
    RgbaImage image = decodePng(rgba, 100);
    EXPECT_EQ(image.width, 2u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(pixelsOf(image), (std::vector<int>{0x10, 0x20, 0x30, 0x40, 0xFF, 0, 0, 0xFF, 0, 0xFF,
                                                 0, 0x80, 0, 0, 0xFF, 0}));

    const std::string grey = pngOf(2, 1, 0, 8, {std::string("\x00\xC0", 2)});
    EXPECT_EQ(pixelsOf(decodePng(grey, 100)),
              (std::vector<int>{0, 0, 0, 0xFF, 0xC0, 0xC0, 0xC0, 0xFF}));

    // A palette of two colours at one bit a pixel: pixels 1 and 0.
    const std::string indexed =
        pngOf(2, 1, 3, 1, {std::string("\x80", 1)}, std::string("\x01\x02\x03\xFA\xFB\xFC", 6));
    EXPECT_EQ(pixelsOf(decodePng(indexed, 100)),
              (std::vector<int>{0xFA, 0xFB, 0xFC, 0xFF, 1, 2, 3, 0xFF}));

    // Sixteen bits a channel keep their high bytes.
    const std::string deep = pngOf(1, 1, 2, 16, {std::string("\x12\x34\x56\x78\x9A\xBC", 6)});
    EXPECT_EQ(pixelsOf(decodePng(deep, 100)), (std::vector<int>{0x12, 0x56, 0x9A, 0xFF}));
}

TEST(PngImage, RefusesPicturesLargerThanAllowed) {
    const std::string wide = pngOf(8, 8, 0, 8, std::vector<std::string>(8, std::string(8, 'x')));
    EXPECT_EQ(decodePng(wide, 64).width, 8u);
    EXPECT_THROW(decodePng(wide, 63), std::runtime_error);
    // A header claiming a huge picture is refused before any memory is taken.
    std::string huge = pngOf(1, 1, 0, 8, {std::string(1, 'x')});
    std::string header;
    appendBig32(header, 1u << 30);
    appendBig32(header, 1u << 30);
    header += std::string("\x08\x00\x00\x00\x00", 5);
    std::string forged = "\x89PNG\r\n\x1a\n";
    appendChunk(forged, "IHDR", header);
    forged += huge.substr(8 + 25);
    EXPECT_THROW(decodePng(forged, 1u << 20), std::runtime_error);
}

TEST(PngImage, CutOrDamagedFilesFailCleanly) {
    std::vector<std::string> rows;
    std::mt19937 random(7);
    for (int y = 0; y < 16; ++y) {
        std::string row;
        for (int x = 0; x < 16 * 4; ++x) row += static_cast<char>(random() & 0xFF);
        rows.push_back(row);
    }
    const std::string png = pngOf(16, 16, 6, 8, rows);
    ASSERT_EQ(decodePng(png, 1000).pixels.size(), 16u * 16 * 4);

    EXPECT_THROW(decodePng("", 1000), std::runtime_error);
    EXPECT_THROW(decodePng("GIF89a....", 1000), std::runtime_error);
    // The file cut anywhere, even in its end chunk, is refused.
    for (std::size_t length = 0; length < png.size(); ++length)
        EXPECT_THROW(decodePng(png.substr(0, length), 1000), std::runtime_error) << length;

    // Every byte changed in turn: refused, or a picture of the size its
    // header says, never more.
    int refused = 0;
    for (std::size_t at = 8; at < png.size(); ++at) {
        std::string damaged = png;
        damaged[at] = static_cast<char>(damaged[at] ^ (1 + random() % 255));
        try {
            const RgbaImage image = decodePng(damaged, 1000);
            EXPECT_EQ(image.pixels.size(), image.width * image.height * 4);
            EXPECT_LE(image.width * image.height, 1000u);
        } catch (const std::runtime_error& error) {
            ++refused;
            EXPECT_NE(std::string(error.what()), "");
        }
    }
    EXPECT_GT(refused, static_cast<int>(png.size()) / 2);
}

}  // namespace
}  // namespace leafwright
