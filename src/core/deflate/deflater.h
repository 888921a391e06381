#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace leafwright {

// Compresses whole buffers into zlib-wrapped deflate data, as a PDF stream
// with /Filter /FlateDecode holds it, at level 6. One compressor is kept for
// many buffers: making one costs more than compressing a page. The same
// bytes always compress to the same bytes.
class Deflater {
  public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Fewer bytes than this are not worth a filter: they stay as they are.
    static constexpr std::size_t kSmallest = 64;

    // Replaces out with the compressed bytes and returns true when there are
    // at least kSmallest bytes given and the compressed ones are fewer;
    // else returns false, out unspecified.
    bool compressSmaller(std::string_view bytes, std::string& out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace leafwright
