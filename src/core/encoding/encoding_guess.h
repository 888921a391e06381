#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace leafwright {

// Guesses the encoding of a text from its first bytes, handed over in
// pieces: UTF-16 or UTF-32 without a byte-order mark by where their NUL
// bytes fall (the high bytes of ASCII characters), any other by uchardet's
// statistics of letters and byte sequences.
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
    struct Detector;
    std::unique_ptr<Detector> detector_;
    std::uint64_t bytes_ = 0;
    // NUL bytes by their offset modulo four.
    std::uint64_t zeros_[4] = {};
};

}  // namespace leafwright
