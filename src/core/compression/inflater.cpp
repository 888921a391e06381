#include "core/compression/inflater.h"

#include <zlib.h>

#include <algorithm>
#include <string>

namespace leafwright {

struct Inflater::State {
    z_stream stream{};
    bool started = false;  // the header was looked at and inflate set up
    bool ended = false;
    std::string head;  // the first byte, while the second one is awaited
    unsigned char out[kPieceSize];

    ~State() {
        if (started) inflateEnd(&stream);
    }
};

namespace {

// Whether two bytes are a zlib header: deflate, a window PDF allows, and the
// check bits right.
bool isZlibHeader(unsigned char method, unsigned char flags) {
    return (method & 0x0F) == 8 && (method >> 4) <= 7 && ((method << 8) | flags) % 31 == 0;
}

}  // namespace

// Not value-initialised: the output buffer needs no zeros.
Inflater::Inflater() : state_(new State) {}

Inflater::~Inflater() = default;

bool Inflater::ended() const noexcept {
    return state_->ended;
}

std::size_t Inflater::feed(std::string_view bytes, const Output& out) {
    State& state = *state_;
    if (state.ended) return 0;
    if (state.started) return inflateSome(bytes, out);
    // The first two bytes tell a zlib stream from bare deflate data; they go
    // to inflate like the rest.
    const std::size_t taken = std::min<std::size_t>(bytes.size(), 2 - state.head.size());
    const std::size_t earlier = state.head.size();
    state.head.append(bytes.substr(0, taken));
    if (state.head.size() < 2) return bytes.size();
    const bool zlib = isZlibHeader(static_cast<unsigned char>(state.head[0]),
                                   static_cast<unsigned char>(state.head[1]));
    if (inflateInit2(&state.stream, zlib ? MAX_WBITS : -MAX_WBITS) != Z_OK)
        throw CompressedDataError("the inflater could not be set up");
    state.started = true;
    const std::size_t headUsed = inflateSome(state.head, out);
    if (state.ended) return headUsed > earlier ? headUsed - earlier : 0;
    return taken + inflateSome(bytes.substr(taken), out);
}

std::size_t Inflater::inflateSome(std::string_view bytes, const Output& out) {
    State& state = *state_;
    z_stream& stream = state.stream;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    while (!state.ended) {
        stream.next_out = state.out;
        stream.avail_out = sizeof state.out;
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_NEED_DICT) throw CompressedDataError("it needs a preset dictionary");
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            throw CompressedDataError(stream.msg != nullptr ? stream.msg : "it is corrupt");
        const std::size_t made = sizeof state.out - stream.avail_out;
        if (made > 0) out(std::string_view(reinterpret_cast<const char*>(state.out), made));
        state.ended = result == Z_STREAM_END;
        // With room left in the output, inflate has used all it was given.
        if (stream.avail_out != 0) break;
    }
    return bytes.size() - stream.avail_in;
}

}  // namespace leafwright
