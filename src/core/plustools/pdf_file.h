#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/plustools/pdf_object.h"

namespace leafwright {

class StreamDecoder;
class TextFileReader;

// A PDF's bytes, read in any order from an open source, and the objects
// that stand at byte offsets of it. Every read goes through the source's
// reader, so a cancelled run stops it; an object takes at most
// kMaxObjectBytes. The last few blocks read are kept, so that the many small
// objects that stand close together (a page, its content stream's
// dictionary) cost one read between them.
class PdfFile {
  public:
    // The most bytes one object may take; a larger one is refused.
    static constexpr std::size_t kMaxObjectBytes = 4 << 20;

    explicit PdfFile(TextFileReader& reader);

    const std::string& path() const noexcept;
    std::uint64_t size() const noexcept { return size_; }

    // Up to `count` bytes from `offset`, fewer at the end of the file.
    std::string bytesAt(std::uint64_t offset, std::size_t count);

    struct IndirectObject {
        PdfReference reference;
        PdfObject value;
        // Where a stream's data begins, after "stream" and its line end.
        std::optional<std::uint64_t> streamData;
    };
    // The indirect object "N G obj ..." at the offset. Throws PdfSyntaxError.
    IndirectObject objectAt(std::uint64_t offset);
    // Any object at the offset, for the trailer's dictionary. Throws
    // PdfSyntaxError.
    PdfObject valueAt(std::uint64_t offset);

    // Feeds a stream's data to the decoder, from dataOffset on: `length`
    // bytes when the stream's /Length is right, else up to its "endstream".
    // Throws CompressedDataError as the decoder does, naming nothing.
    void decodeStreamData(std::uint64_t dataOffset, std::optional<std::uint64_t> length,
                          StreamDecoder& decoder);

  private:
    static constexpr std::size_t kBlockBytes = 64 << 10;
    static constexpr std::size_t kKeptBlocks = 4;
    struct Block {
        std::uint64_t start = ~std::uint64_t{0};
        std::string bytes;
        std::uint64_t lastUse = 0;
    };
    // bytesAt into `bytes`, whose room is kept.
    void readInto(std::string& bytes, std::uint64_t offset, std::size_t count);
    // The kept block that holds the offset, read when it is not kept.
    const Block& blockAt(std::uint64_t offset);

    // Parses with `parse` over a window from the offset that grows until
    // the object fits.
    template <typename Parse>
    auto parseAt(std::uint64_t offset, Parse parse);
    bool endsAt(std::uint64_t offset);
    std::uint64_t findEndStream(std::uint64_t from);

    TextFileReader& reader_;
    std::uint64_t size_;
    std::string window_;
    std::string held_;  // the data of a stream decoded whole
    Block blocks_[kKeptBlocks];
    std::uint64_t uses_ = 0;
};

}  // namespace leafwright
