#include "core/pdf/line_number_gutter.h"

#include "core/fonts/standard_font_widths.h"

namespace leafwright {

namespace {

int digitCount(std::uint64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

}  // namespace

double gutterWidth(const ConversionSettings& s, std::uint64_t largestLineNumber) {
    if (s.chosen.more.lineNumbers <= 0) return 0;
    const StandardFontWidths* widths = standardFontWidths(s.baseFont);
    const int digit = (widths ? *widths : kStandardFontWidths.front()).width('0');
    return (digitCount(largestLineNumber) + 1) * digit / 1000.0 * kFurnitureScale * s.fontSizeValue;
}

std::uint64_t lineNumberOf(const ConversionSettings& s, std::uint64_t index) {
    return static_cast<std::uint64_t>(s.chosen.more.lineNumberStart) + index;
}

bool showsLineNumber(const ConversionSettings& s, std::uint64_t lineNumber) {
    const int every = s.chosen.more.lineNumbers;
    if (every <= 0) return false;
    const auto first = static_cast<std::uint64_t>(s.chosen.more.lineNumberStart);
    return (lineNumber - first) % static_cast<std::uint64_t>(every) == 0;
}

}  // namespace leafwright
