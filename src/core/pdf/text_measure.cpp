#include "core/pdf/text_measure.h"

namespace leafwright {

namespace {
constexpr int kScreenDpi = 96;
constexpr int kCourierAdvance = 1229;  // font units per glyph
constexpr int kUnitsPerEm = 2048;
}  // namespace

TextMeasure::TextMeasure(int fontSizeValue) {
    const int height = 25 * fontSizeValue / 18 + 1;  // hundredths of an inch
    const int pixelsPerEm = (height * kScreenDpi + 50) / 100;
    advance_ = (pixelsPerEm * kCourierAdvance + kUnitsPerEm / 2) / kUnitsPerEm;
}

std::int64_t TextMeasure::extent(std::uint64_t byteCount) const noexcept {
    std::int64_t pixels = static_cast<std::int64_t>(byteCount) * advance_;
    return (pixels * 100 + kScreenDpi / 2) / kScreenDpi;
}

std::int64_t TextMeasure::widthInPoints(std::uint64_t byteCount) const noexcept {
    return static_cast<std::int64_t>(static_cast<double>(extent(byteCount)) * 0.72) + 1;
}

}  // namespace leafwright
