#include "core/deflate/whole_inflater.h"

#include <libdeflate.h>

#include <new>

namespace leafwright {

namespace {

// The zlib header's first byte for deflate with a 32 KB window. A smaller
// window limits how far back the data may reach, which libdeflate does not
// check: such data goes to the streaming inflater, which does.
constexpr unsigned char kDeflateWith32KWindow = 0x78;

}  // namespace

struct WholeInflater::State {
    libdeflate_decompressor* decompressor = nullptr;
    std::unique_ptr<char[]> output;  // left uninitialised: only what is inflated is touched

    ~State() {
        if (decompressor != nullptr) libdeflate_free_decompressor(decompressor);
    }
};

WholeInflater::WholeInflater(std::size_t outputLimit)
    : state_(std::make_unique<State>()), outputLimit_(outputLimit) {}

WholeInflater::~WholeInflater() = default;

std::optional<std::string_view> WholeInflater::inflate(std::string_view data) {
    if (data.size() < 2 || static_cast<unsigned char>(data[0]) != kDeflateWith32KWindow)
        return std::nullopt;
    State& state = *state_;
    if (state.decompressor == nullptr) {
        state.decompressor = libdeflate_alloc_decompressor();
        if (state.decompressor == nullptr) throw std::bad_alloc();
        state.output.reset(new char[outputLimit_]);
    }
    std::size_t in = 0;
    std::size_t out = 0;
    // Checks the header and the Adler-32 sum as zlib does; the bytes after
    // the sum are left unread.
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        state.decompressor, data.data(), data.size(), state.output.get(), outputLimit_, &in, &out);
    if (result != LIBDEFLATE_SUCCESS) return std::nullopt;
    return std::string_view(state.output.get(), out);
}

}  // namespace leafwright
