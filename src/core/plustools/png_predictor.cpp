#include "core/plustools/png_predictor.h"

#include <cstdlib>

namespace leafwright {

namespace {

unsigned char paeth(int left, int up, int upLeft) {
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up),
              toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<unsigned char>(left);
    return static_cast<unsigned char>(toUp <= toUpLeft ? up : upLeft);
}

}  // namespace

PredictorDecoder::PredictorDecoder(bool png, std::size_t rowBytes, std::size_t bytesPerPixel,
                                   Output out)
    : png_(png),
      rowBytes_(rowBytes),
      pixelBytes_(bytesPerPixel == 0 ? 1 : bytesPerPixel),
      out_(std::move(out)),
      previous_(rowBytes, '\0') {
    row_.reserve(rowBytes + 1);
}

void PredictorDecoder::feed(std::string_view bytes) {
    const std::size_t whole = rowBytes_ + (png_ ? 1 : 0);
    while (!bytes.empty()) {
        const std::size_t taken = std::min(bytes.size(), whole - row_.size());
        row_.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (row_.size() == whole) endRow();
    }
}

void PredictorDecoder::finish() {
    if (row_.size() > (png_ ? 1u : 0u)) endRow();
    row_.clear();
}

void PredictorDecoder::endRow() {
    const std::size_t start = png_ ? 1 : 0;
    const int filter = png_ ? static_cast<unsigned char>(row_[0]) : -1;
    auto* bytes = reinterpret_cast<unsigned char*>(row_.data()) + start;
    const auto* up = reinterpret_cast<const unsigned char*>(previous_.data());
    const std::size_t length = row_.size() - start;
    for (std::size_t k = 0; k < length; ++k) {
        const int left = k >= pixelBytes_ ? bytes[k - pixelBytes_] : 0;
        const int upLeft = k >= pixelBytes_ ? up[k - pixelBytes_] : 0;
        switch (filter) {
            case -1:  // TIFF: the difference to the sample on the left
            case 1:
                bytes[k] = static_cast<unsigned char>(bytes[k] + left);
                break;
            case 2:
                bytes[k] = static_cast<unsigned char>(bytes[k] + up[k]);
                break;
            case 3:
                bytes[k] = static_cast<unsigned char>(bytes[k] + (left + up[k]) / 2);
                break;
            case 4:
                bytes[k] = static_cast<unsigned char>(bytes[k] + paeth(left, up[k], upLeft));
                break;
            default:  // 0, and filters PNG does not define: the bytes as they are
                break;
        }
    }
    out_(std::string_view(reinterpret_cast<const char*>(bytes), length));
    previous_.assign(reinterpret_cast<const char*>(bytes), length);
    previous_.resize(rowBytes_, '\0');
    row_.clear();
}

}  // namespace leafwright
