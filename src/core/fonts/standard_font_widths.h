#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace leafwright {

// The advance widths of one standard PDF font for the MacRomanEncoding codes
// 32 to 255, in thousandths of the font size; 0 for a code the font has no
// glyph for.
struct StandardFontWidths {
    const char* baseFont;
    std::array<short, 224> widths;

    // The width of a code; 0 below 32.
    int width(unsigned char code) const { return code < 32 ? 0 : widths[code - 32]; }
    int spaceWidth() const { return widths[0]; }
    // The width of every byte, the table a line's width is summed from.
    std::array<std::uint16_t, 256> byteWidths() const {
        std::array<std::uint16_t, 256> all{};
        for (int code = 32; code < 256; ++code)
            all[code] = static_cast<std::uint16_t>(widths[code - 32]);
        return all;
    }
};

// The nine standard fonts the program offers (Times, Helvetica and Courier,
// each regular, italic or oblique, and bold).
extern const std::array<StandardFontWidths, 9> kStandardFontWidths;

// The widths of a standard font by its PDF name ("Times-Roman"); nullptr for
// a name that is not one of the nine.
const StandardFontWidths* standardFontWidths(std::string_view baseFont);

}  // namespace leafwright
