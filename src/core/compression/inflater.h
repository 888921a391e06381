#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace leafwright {

// Compressed data that cannot be inflated: the cause in words.
class CompressedDataError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Inflates deflate data (with a zlib header, as PDF's FlateDecode writes it,
// or bare, as some writers leave it), fed in pieces of any size. The output
// is handed on a piece at a time as it comes, so memory stays the same
// whatever the data inflates to; the receiver may throw to stop it.
class Inflater {
  public:
    // The largest piece of output handed on at once.
    static constexpr std::size_t kPieceSize = 64 * 1024;
    using Output = std::function<void(std::string_view piece)>;

    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates the bytes (less than 4 GB at a time); returns how many of them belong to the
    // compressed data (all, unless its end lies among them). Throws CompressedDataError when they
    // are not deflate data.
    std::size_t feed(std::string_view bytes, const Output& out);
    // Whether the compressed data came to its end.
    bool ended() const noexcept;

  private:
    std::size_t inflateSome(std::string_view bytes, const Output& out);

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace leafwright
