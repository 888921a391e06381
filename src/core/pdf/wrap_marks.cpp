#include "core/pdf/wrap_marks.h"

#include <cstdio>

namespace leafwright {

namespace {

void appendNumber(std::string& out, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    out += text;
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
    : right_(area.left + area.width),
      top_(textTop),
      leading_(leading),
      size_(fontSize),
      rgb_(std::move(textRgb)) {}

void ContinuationArrows::add(std::uint64_t row) {
    // A shaft and a head, at the height of a lower-case letter's middle.
    const double y = top_ - static_cast<double>(row + 1) * leading_ + 0.3 * size_;
    const double from = right_ + 0.15 * size_, to = right_ + 0.65 * size_, head = 0.15 * size_;
    appendPoint(paths_, from, y, "m");
    appendPoint(paths_, to, y, "l");
    appendPoint(paths_, to - head, y + head, "m");
    appendPoint(paths_, to, y, "l");
    appendPoint(paths_, to - head, y - head, "l");
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
