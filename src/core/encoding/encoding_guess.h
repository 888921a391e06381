#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/text/text_encoding.h"

namespace leafwright {

// Guesses the encoding of a text from its first bytes, handed over in
// pieces: UTF-16 or UTF-32 without a byte-order mark by where their NUL
// bytes fall (the high bytes of ASCII characters) or, for UTF-16 of a
// script beyond ASCII, by the few values its high bytes take; UTF-8 by
// being well-formed with some character beyond ASCII (which letters in
// another encoding hardly ever are, while uchardet's statistics take a
// text of a few accented names for one of the single-byte encodings); any
// other by uchardet's statistics of letters and byte sequences.
class EncodingGuess {
  public:
    EncodingGuess();
    ~EncodingGuess();
    EncodingGuess(const EncodingGuess&) = delete;
    EncodingGuess& operator=(const EncodingGuess&) = delete;

    void add(std::string_view bytes);
    // The encoding's name as iconv knows it ("UTF-16LE", "KOI8-R", "ASCII",
    // "UTF-8", ...), or empty when nothing tells. Call once, after the
    // last piece.
    std::string result();

  private:
    // What the bytes look like read as 16-bit units in one byte order.
    struct Units {
        std::uint64_t count = 0;
        // Units no text holds: a surrogate out of its pair, U+FFFE and
        // U+FFFF, C0 controls other than tab, line and page ends and escape.
        std::uint64_t impossible = 0;
        // Units of the private use area, which a few texts hold and random
        // pairs of letter bytes often make.
        std::uint64_t privateUse = 0;
        bool highSurrogateBefore = false;
        void add(unsigned unit);
        // Few enough of either for a text.
        bool plausible() const;
    };

    std::string utf16ByItsHighBytes() const;

    struct Detector;
    std::unique_ptr<Detector> detector_;
    std::uint64_t bytes_ = 0;
    // NUL bytes by their offset modulo four.
    std::uint64_t zeros_[4] = {};
    // Each byte value's count at even and at odd offsets.
    std::array<std::array<std::uint64_t, 256>, 2> byParity_{};
    // The bytes read as little- and big-endian units; the first byte of a
    // unit a piece ends in waits for the next piece.
    Units little_, big_;
    int pendingByte_ = -1;
    // The bytes read as UTF-8, a whole character at a time: whether any
    // broke its rules.
    Utf8Pieces utf8Pieces_;
    bool utf8Broken_ = false;
};

}  // namespace leafwright
