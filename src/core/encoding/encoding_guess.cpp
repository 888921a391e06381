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

void EncodingGuess::Units::add(unsigned unit) {
    ++count;
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    if (highSurrogateBefore && !low) ++impossible;
    if (low && !highSurrogateBefore) ++impossible;
    highSurrogateBefore = high;
    const bool control = unit < 0x20 && !(unit >= 0x09 && unit <= 0x0D) && unit != 0x1B;
    if (control || unit == 0xFFFE || unit == 0xFFFF) ++impossible;
    if (unit >= 0xE000 && unit <= 0xF8FF) ++privateUse;
}

bool EncodingGuess::Units::plausible() const {
    return impossible * 256 <= count && privateUse * 64 <= count;
}

void EncodingGuess::add(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const std::uint64_t at = bytes_ + i;
        if (byte == 0) ++zeros_[at % 4];
        ++byParity_[at % 2][byte];
        if (pendingByte_ < 0) {
            pendingByte_ = byte;
            continue;
        }
        little_.add(static_cast<unsigned>(pendingByte_) | (byte << 8));
        big_.add((static_cast<unsigned>(pendingByte_) << 8) | byte);
        pendingByte_ = -1;
    }
    bytes_ += bytes.size();
    // Whole characters at a time, so that one a piece cuts does not count
    // against the text; one the sample's end cuts is never checked.
    if (!utf8Broken_)
        utf8Pieces_.add(bytes, [this](std::string_view whole) {
            utf8Broken_ = utf8Broken_ || countUtf8Characters(whole) == kNotUtf8;
        });
    uchardet_handle_data(detector_->handle, bytes.data(), bytes.size());
}

// UTF-16 of a script beyond ASCII has few NUL bytes, yet its high bytes
// take the few values of the script's blocks (0x04 for Cyrillic, 0x4E to
// 0x9F for Chinese) while its low bytes take nearly all. Text in an 8-bit
// or multi-byte encoding has alike bytes at even and odd offsets, and read
// as 16-bit units makes lone surrogates, controls and private-use
// characters, which real UTF-16 holds hardly any of.
std::string EncodingGuess::utf16ByItsHighBytes() const {
    constexpr std::uint64_t kFewestUnits = 64;
    if (bytes_ / 2 < kFewestUnits) return "";
    const std::uint64_t evens = (bytes_ + 1) / 2, odds = bytes_ / 2;
    // Half the total variation between the two sides' distributions, in
    // parts of evens * odds: 0 when they are alike, 1 when disjoint.
    std::uint64_t apart = 0;
    int distinct[2] = {0, 0};
    for (int byte = 0; byte < 256; ++byte) {
        const std::uint64_t even = byParity_[0][byte] * odds, odd = byParity_[1][byte] * evens;
        apart += even > odd ? even - odd : odd - even;
        for (int side = 0; side < 2; ++side) distinct[side] += byParity_[side][byte] > 0;
    }
    // Apart by more than half.
    if (apart < evens * odds) return "";
    // The high bytes take fewer values than the low ones (a fifth fewer at
    // least, so that a few characters said again and again cannot make the
    // two sides look alike): at odd offsets in little-endian units.
    const bool littleEndian = distinct[1] * 5 <= distinct[0] * 4;
    const bool bigEndian = distinct[0] * 5 <= distinct[1] * 4;
    if (littleEndian == bigEndian) return "";
    if (!(littleEndian ? little_ : big_).plausible()) return "";
    return littleEndian ? "UTF-16LE" : "UTF-16BE";
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
    // Characters whose low byte is NUL (U+4E00, U+9700 of Chinese) put some
    // on the other side too.
    const std::uint64_t even = zeros_[0] + zeros_[2], odd = zeros_[1] + zeros_[3];
    const std::uint64_t enough = std::max<std::uint64_t>(2, units / 64);
    if (odd >= enough && even * 3 <= odd && little_.plausible()) return "UTF-16LE";
    if (even >= enough && odd * 3 <= even && big_.plausible()) return "UTF-16BE";
    if (std::string shaped = utf16ByItsHighBytes(); !shaped.empty()) return shaped;
    std::uint64_t beyond = 0;
    for (int byte = 0x80; byte < 0x100; ++byte) beyond += byParity_[0][byte] + byParity_[1][byte];
    if (beyond > 0 && !utf8Broken_) return "UTF-8";
    // A few bytes beyond ASCII are too few for statistics: two bytes took
    // Hebrew's table. Text of ASCII alone still goes to them, which tell
    // the 7-bit encodings by their escape sequences.
    constexpr std::uint64_t kFewestBeyondAscii = 8;
    if (beyond > 0 && beyond < kFewestBeyondAscii) return "";
    uchardet_data_end(detector_->handle);
    const char* charset = uchardet_get_charset(detector_->handle);
    return charset != nullptr ? charset : "";
}

}  // namespace leafwright
