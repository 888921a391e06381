#include "core/pdf/wrap_marks.h"

#include <cmath>
#include <string>

namespace leafwright {

namespace {

// With two decimals, as "%.2f" writes it; a continued row draws ten, so
// they are written without the C library's formatting.
void appendNumber(std::string& out, double value) {
    long long hundredths = std::llround(value * 100);
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    out += std::to_string(hundredths / 100);
    out += '.';
    out += static_cast<char>('0' + hundredths / 10 % 10);
    out += static_cast<char>('0' + hundredths % 10);
}

void appendPoint(std::string& out, double x, double y, std::string_view op) {
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += ' ';
    out += op;
    out += "\r\n";
}

}  // namespace

ContinuationArrows::ContinuationArrows(const TextArea& area, double textTop, double leading,
                                       double fontSize, std::string textRgb)
    : left_(area.left),
      right_(area.left + area.width),
      top_(textTop),
      leading_(leading),
      size_(fontSize),
      rgb_(std::move(textRgb)) {}

void ContinuationArrows::add(std::uint64_t row, bool rightToLeft) {
    // Every page puts its rows at the same heights: each row's arrow is
    // written once and copied after.
    std::vector<std::string>& known = rightToLeft ? leftArrows_ : rightArrows_;
    if (row < kKnownRows) {
        if (known.size() <= row) known.resize(row + 1);
        std::string& arrow = known[row];
        if (arrow.empty()) appendArrow(arrow, row, rightToLeft);
        paths_ += arrow;
        return;
    }
    appendArrow(paths_, row, rightToLeft);
}

void ContinuationArrows::appendArrow(std::string& out, std::uint64_t row, bool rightToLeft) const {
    // A shaft and a head, at the height of a lower-case letter's middle.
    const double y = top_ - static_cast<double>(row + 1) * leading_ + 0.3 * size_;
    const double side = rightToLeft ? -1 : 1;
    const double edge = rightToLeft ? left_ : right_;
    const double from = edge + side * 0.15 * size_, to = edge + side * 0.65 * size_,
                 head = side * 0.15 * size_;
    appendPoint(out, from, y, "m");
    appendPoint(out, to, y, "l");
    appendPoint(out, to - head, y + head, "m");
    appendPoint(out, to, y, "l");
    appendPoint(out, to - head, y - head, "l");
}

void ContinuationArrows::appendTo(std::string& bytes) {
    if (paths_.empty()) return;
    bytes += "/Artifact BMC q\r\n" + rgb_ + " RG\r\n";
    appendNumber(bytes, 0.06 * size_);
    bytes += " w\r\n";
    bytes += paths_;
    bytes += "S\r\nQ EMC\r\n";
    paths_.clear();
}

}  // namespace leafwright
