#pragma once

#include <cstdint>

namespace leafwright {

// How wide a line is when measured on a 96-dpi screen in "Courier New" (or
// its metric twin Liberation Mono, which advances every glyph 1229/2048 em),
// at a font height of trunc(25 * size / 18) + 1 hundredths of an inch. Every
// step is integer arithmetic with the rounding a screen device does, so the
// window and the command line measure alike, everywhere.
class TextMeasure {
  public:
    explicit TextMeasure(int fontSizeValue);

    // Horizontal extent in hundredths of an inch of a line of byteCount
    // bytes (the line as it stands in the PDF string, escapes included).
    std::int64_t extent(std::uint64_t byteCount) const noexcept;
    // Its width in points, rounded up by one whole point even when exact.
    std::int64_t widthInPoints(std::uint64_t byteCount) const noexcept;

    // The pixels each character advances.
    int advance() const noexcept { return advance_; }

  private:
    int advance_;
};

}  // namespace leafwright
