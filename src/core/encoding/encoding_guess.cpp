#include "core/encoding/encoding_guess.h"

#include <uchardet/uchardet.h>

#include <algorithm>

namespace leafwright {

struct EncodingGuess::Detector {
    Detector() : handle(uchardet_new()) {}
    ~Detector() { uchardet_delete(handle); }
    Detector(const Detector&) = delete;
    Detector& operator=(const Detector&) = delete;
    uchardet_t handle;
};

EncodingGuess::EncodingGuess() : detector_(std::make_unique<Detector>()) {}

EncodingGuess::~EncodingGuess() = default;

void EncodingGuess::add(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\0') ++zeros_[(bytes_ + i) % 4];
    bytes_ += bytes.size();
    uchardet_handle_data(detector_->handle, bytes.data(), bytes.size());
}

// Text without NUL characters has none of its own: in UTF-32 every
// character of the first plane has two NUL high bytes, in UTF-16 each one
// of the ASCII range (spaces, digits, line feeds) one, all on the same side.
std::string EncodingGuess::result() {
    const std::uint64_t quads = bytes_ / 4, units = bytes_ / 2;
    if (quads > 0) {
        if (zeros_[3] * 20 >= quads * 19 && zeros_[2] * 2 >= quads && zeros_[0] * 2 < quads)
            return "UTF-32LE";
        if (zeros_[0] * 20 >= quads * 19 && zeros_[1] * 2 >= quads && zeros_[3] * 2 < quads)
            return "UTF-32BE";
    }
    const std::uint64_t even = zeros_[0] + zeros_[2], odd = zeros_[1] + zeros_[3];
    const std::uint64_t enough = std::max<std::uint64_t>(2, units / 64);
    if (odd >= enough && even * 8 <= odd) return "UTF-16LE";
    if (even >= enough && odd * 8 <= even) return "UTF-16BE";
    uchardet_data_end(detector_->handle);
    const char* charset = uchardet_get_charset(detector_->handle);
    return charset != nullptr ? charset : "";
}

}  // namespace leafwright
