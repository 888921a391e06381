#include "core/deflate/deflater.h"

#include <libdeflate.h>

#include <new>

namespace leafwright {

namespace {
constexpr int kLevel = 6;
}

struct Deflater::State {
    libdeflate_compressor* compressor = nullptr;
};

Deflater::Deflater() : state_(std::make_unique<State>()) {
    state_->compressor = libdeflate_alloc_compressor(kLevel);
    if (state_->compressor == nullptr) throw std::bad_alloc();
}

Deflater::~Deflater() {
    libdeflate_free_compressor(state_->compressor);
}

bool Deflater::compressSmaller(std::string_view bytes, std::string& out) {
    if (bytes.size() < kSmallest) return false;
    // Room for one byte fewer than the input: libdeflate gives up (returns
    // 0) as soon as the result would not fit, so data that does not shrink
    // costs no more than data that does.
    out.resize(bytes.size() - 1);
    const std::size_t size = libdeflate_zlib_compress(state_->compressor, bytes.data(),
                                                      bytes.size(), out.data(), out.size());
    if (size == 0) return false;
    out.resize(size);
    return true;
}

}  // namespace leafwright
