#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/plustools/pdf_object.h"

namespace leafwright {

class Inflater;
class PredictorDecoder;
class WholeInflater;

// How a stream's data is encoded, as its dictionary's /Filter and
// /DecodeParms say: as it is, FlateDecode (alone or as the only entry of
// an array, with or without a predictor) or ASCIIHexDecode; any other
// filter, or a chain of filters, is named and cannot be read.
struct StreamEncoding {
    enum class Kind { Plain, Flate, AsciiHex, Unreadable };
    Kind kind = Kind::Plain;
    // Why a stream cannot be read, naming its filter: "the LZWDecode filter".
    std::string unreadable;
    // FlateDecode's predictor: 1 none, 2 TIFF, 10 to 15 PNG.
    int predictor = 1;
    std::size_t rowBytes = 0;
    std::size_t pixelBytes = 1;
};

// Values of a dictionary may be indirect: this gives the object they name.
using PdfResolver = std::function<PdfObject(const PdfObject& value)>;

StreamEncoding streamEncodingOf(const PdfObject& dictionary, const PdfResolver& resolve);

// Decodes a stream's data fed in pieces of any size, handing the decoded
// bytes on as they come, a piece of at most 64 KB at a time: memory stays
// the same whatever the data decodes to. The receiver may throw to stop it.
class StreamDecoder {
  public:
    using Output = std::function<void(std::string_view piece)>;

    // The encoding must be readable (not Unreadable). With a WholeInflater
    // (which must outlive the decoder), FlateDecode data given whole is
    // inflated by it when its output fits, else streamed like any.
    StreamDecoder(const StreamEncoding& encoding, Output out, WholeInflater* whole = nullptr);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // Returns false once the encoded data has ended: what follows is no
    // part of it. Throws CompressedDataError on data that is not what its
    // filter makes.
    bool feed(std::string_view bytes);
    // The end of the stream's bytes. Throws CompressedDataError when the
    // compressed data was cut short.
    void finish();

    // The most encoded bytes that decodeWhole takes: a larger stream is fed
    // in pieces, read as they are inflated, rather than read ahead and held.
    static constexpr std::size_t kMostWholeBytes = 1 << 20;
    // Whether a stream of so many encoded bytes is better given whole.
    bool takesWhole(std::uint64_t bytes) const noexcept;
    // All of the stream's bytes at once (at most kMostWholeBytes): feed and
    // finish in one, with the same output and failures.
    void decodeWhole(std::string_view bytes);

  private:
    void decoded(std::string_view bytes);

    StreamEncoding::Kind kind_;
    Output out_;
    WholeInflater* whole_;
    std::unique_ptr<Inflater> inflater_;  // made when data is streamed
    std::unique_ptr<PredictorDecoder> predictor_;
    int hexHigh_ = -1;
    bool ended_ = false;
    std::string hexOut_;
};

}  // namespace leafwright
