#include "core/plustools/pdf_file.h"

#include <string.h>

#include <algorithm>

#include "core/platform/text_file_reader.h"
#include "core/plustools/stream_decoder.h"

namespace leafwright {

namespace {

constexpr std::size_t kFirstWindow = 1 << 10;
constexpr std::size_t kDataPiece = 64 << 10;
constexpr std::string_view kEndStream = "endstream";

}  // namespace

PdfFile::PdfFile(TextFileReader& reader) : reader_(reader), size_(reader.size()) {}

const std::string& PdfFile::path() const noexcept {
    return reader_.path();
}

const PdfFile::Block& PdfFile::blockAt(std::uint64_t offset) {
    const std::uint64_t start = offset - offset % kBlockBytes;
    Block* oldest = &blocks_[0];
    for (Block& block : blocks_) {
        if (block.start == start) {
            block.lastUse = ++uses_;
            return block;
        }
        if (block.lastUse < oldest->lastUse) oldest = &block;
    }
    oldest->start = start;
    oldest->bytes.resize(kBlockBytes);
    oldest->bytes.resize(reader_.readAt(start, oldest->bytes.data(), kBlockBytes));
    oldest->lastUse = ++uses_;
    return *oldest;
}

std::string PdfFile::bytesAt(std::uint64_t offset, std::size_t count) {
    std::string bytes;
    readInto(bytes, offset, count);
    return bytes;
}

void PdfFile::readInto(std::string& bytes, std::uint64_t offset, std::size_t count) {
    bytes.clear();
    if (offset >= size_) return;
    count = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
    if (count >= kBlockBytes) {
        // Stream data, read once: past the kept blocks.
        bytes.resize(count);
        bytes.resize(reader_.readAt(offset, bytes.data(), count));
        return;
    }
    bytes.reserve(count);
    while (bytes.size() < count) {
        const std::uint64_t at = offset + bytes.size();
        const Block& block = blockAt(at);
        const std::size_t from = static_cast<std::size_t>(at - block.start);
        if (from >= block.bytes.size()) break;  // the file ended (or shrank)
        bytes.append(block.bytes, from, std::min(count - bytes.size(), block.bytes.size() - from));
    }
}

template <typename Parse>
auto PdfFile::parseAt(std::uint64_t offset, Parse parse) {
    if (offset >= size_) throw PdfSyntaxError("an offset past the end of the file", false);
    for (std::size_t window = kFirstWindow;; window *= 2) {
        readInto(window_, offset, window);  // into the room of the last window
        const bool wholeRest = offset + window_.size() >= size_;
        try {
            PdfParser parser(window_);
            return parse(parser);
        } catch (const PdfSyntaxError& error) {
            if (!error.cutShort()) throw;
            if (wholeRest) throw PdfSyntaxError("the file ends inside an object", false);
            if (window >= kMaxObjectBytes)
                throw PdfSyntaxError("an object too large to read", false);
        }
    }
}

PdfFile::IndirectObject PdfFile::objectAt(std::uint64_t offset) {
    return parseAt(offset, [&](PdfParser& parser) {
        IndirectObject object;
        object.reference = parser.objectHeader();
        object.value = parser.object();
        if (object.value.isDictionary() && parser.keyword("stream")) {
            // The keyword's line end: CR LF or LF (a CR alone is taken too).
            std::size_t at = parser.position();
            if (at < window_.size() && window_[at] == '\r') ++at;
            if (at < window_.size() && window_[at] == '\n') ++at;
            object.streamData = offset + at;
        }
        return object;
    });
}

PdfObject PdfFile::valueAt(std::uint64_t offset) {
    return parseAt(offset, [](PdfParser& parser) { return parser.object(); });
}

// Whether "endstream" follows the offset, after white space.
bool PdfFile::endsAt(std::uint64_t offset) {
    const std::string after = bytesAt(offset, 64);
    std::size_t at = 0;
    while (at < after.size() && (after[at] == '\r' || after[at] == '\n' || after[at] == ' ')) ++at;
    return std::string_view(after).substr(at, kEndStream.size()) == kEndStream;
}

// The offset of the first "endstream" from `from` on (the file's size when
// there is none), less the line end before it.
std::uint64_t PdfFile::findEndStream(std::uint64_t from) {
    std::string piece;
    for (std::uint64_t at = from; at < size_;) {
        piece = bytesAt(at, kDataPiece);
        const void* hit =
            ::memmem(piece.data(), piece.size(), kEndStream.data(), kEndStream.size());
        if (hit != nullptr) {
            std::uint64_t end =
                at + static_cast<std::uint64_t>(static_cast<const char*>(hit) - piece.data());
            if (end > from && bytesAt(end - 1, 1) == "\n") --end;
            if (end > from && bytesAt(end - 1, 1) == "\r") --end;
            return end;
        }
        if (piece.size() < kEndStream.size()) break;
        at += piece.size() - (kEndStream.size() - 1);
    }
    return size_;
}

void PdfFile::decodeStreamData(std::uint64_t dataOffset, std::optional<std::uint64_t> length,
                               StreamDecoder& decoder) {
    std::uint64_t end = 0;
    if (length && *length <= size_ && dataOffset <= size_ - *length &&
        endsAt(dataOffset + *length)) {
        end = dataOffset + *length;
    } else {
        end = findEndStream(dataOffset);
    }
    // A stream the decoder takes whole is read in pieces all the same, so
    // that a cancel stops the reading.
    const bool whole = decoder.takesWhole(end - dataOffset);
    if (whole) held_.clear();
    std::string piece;
    for (std::uint64_t at = dataOffset; at < end;) {
        piece =
            bytesAt(at, static_cast<std::size_t>(std::min<std::uint64_t>(kDataPiece, end - at)));
        if (piece.empty()) break;
        at += piece.size();
        if (whole)
            held_ += piece;
        else if (!decoder.feed(piece))
            break;  // the data ended before its /Length
    }
    if (whole)
        decoder.decodeWhole(held_);
    else
        decoder.finish();
}

}  // namespace leafwright
