#include "core/text/raw_text_scan.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/text/byte_scan.h"
#include "core/text/mac_roman_encode.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

bool isWellFormed(std::string_view bytes) {
    return isAscii(bytes) || countUtf8Characters(bytes) != kNotUtf8;
}

// Windows-1252 bytes whose character MacRomanEncoding has no code for.
const std::array<bool, 256>& windows1252BeyondMacRoman() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> result{};
        for (int byte = 0x80; byte < 0x100; ++byte)
            result[byte] = isBeyondMacRoman(windows1252Character(static_cast<unsigned char>(byte)));
        return result;
    }();
    return table;
}

bool holdsBeyondMacRoman1252(std::string_view bytes) {
    const std::array<bool, 256>& beyond = windows1252BeyondMacRoman();
    for (char byte : bytes)
        if (beyond[static_cast<unsigned char>(byte)]) return true;
    return false;
}

// Whole well-formed UTF-8 characters; a byte-order mark at the start of the
// text only tells the encoding.
bool holdsBeyondMacRomanUtf8(std::string_view bytes, bool atTextStart) {
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t character;
        std::size_t length = decodeCharacter(bytes, i, SourceEncoding::Utf8, character);
        if (isBeyondMacRoman(character) && !(atTextStart && i == 0 && character == 0xFEFF))
            return true;
        i += length;
    }
    return false;
}

}  // namespace

void RawTextScan::add(std::string_view block) {
    if (block.empty()) return;
    const bool ascii = countKeepingStarts(block);
    bytes_ += block.size();
    endsWithLineFeed_ = block.back() == '\n';
    if (head_.size() < kUtf8ByteOrderMark.size())
        head_.append(block.substr(0, kUtf8ByteOrderMark.size() - head_.size()));
    // Plain ASCII, the usual case, needs no closer look.
    if (!beyond1252_ && !ascii) beyond1252_ = holdsBeyondMacRoman1252(block);
    if (!utf8_) return;
    if (ascii && characters_.waiting().empty())
        wholeBytes_ += block.size();
    else
        checkUtf8(block);
}

// Line feeds, tabs and bytes above 0x7F are counted in one pass over the
// bytes, up to each line start kept and then on from there, so that every
// byte is counted once. Returns whether the block is plain ASCII.
bool RawTextScan::countKeepingStarts(std::string_view block) {
    std::uint64_t high = 0;
    auto count = [&](std::string_view bytes) {
        const auto counts = countBytes(
            bytes, [](unsigned char b) { return b == '\n'; },
            [](unsigned char b) { return b == '\t'; }, [](unsigned char b) { return b >= 0x80; });
        lineFeeds_ += counts[0];
        hasTab_ = hasTab_ || counts[1] > 0;
        high += counts[2];
    };
    std::size_t counted = 0;
    while (lineStarts_.wantedFrom() < bytes_ + block.size()) {
        const std::size_t from = static_cast<std::size_t>(
            lineStarts_.wantedFrom() > bytes_ ? lineStarts_.wantedFrom() - bytes_ : 0);
        const void* lf = std::memchr(block.data() + from, '\n', block.size() - from);
        if (lf == nullptr) {
            lineStarts_.noneBefore(bytes_ + block.size());
            break;
        }
        const std::size_t start =
            static_cast<std::size_t>(static_cast<const char*>(lf) - block.data()) + 1;
        count(block.substr(counted, start - counted));
        counted = start;
        lineStarts_.keep({bytes_ + start, lineFeeds_});
    }
    count(block.substr(counted));
    return high == 0;
}

void RawTextScan::checkUtf8(std::string_view block) {
    characters_.add(block, [this](std::string_view whole) {
        const bool ascii = isAscii(whole);
        if (utf8_ && !ascii) utf8_ = countUtf8Characters(whole) != kNotUtf8;
        if (utf8_ && !ascii && !beyondUtf8_)
            beyondUtf8_ = holdsBeyondMacRomanUtf8(whole, wholeBytes_ == 0 && !afterALine_);
        wholeBytes_ += whole.size();
    });
}

// The rest starts a line, so no character and no CR LF is cut between the
// two.
void RawTextScan::merge(const RawTextScan& rest) {
    lineStarts_.append(rest.lineStarts_, bytes_, lineFeeds_);
    lineFeeds_ += rest.lineFeeds_;
    bytes_ += rest.bytes_;
    if (rest.bytes_ > 0) endsWithLineFeed_ = rest.endsWithLineFeed_;
    utf8_ = utf8_ && rest.utf8_;
    characters_ = rest.characters_;
    wholeBytes_ += rest.wholeBytes_;
    hasTab_ = hasTab_ || rest.hasTab_;
    beyondUtf8_ = beyondUtf8_ || rest.beyondUtf8_;
    beyond1252_ = beyond1252_ || rest.beyond1252_;
}

std::uint64_t RawTextScan::lineCount() const noexcept {
    return lineFeeds_ + (bytes_ > 0 && !endsWithLineFeed_);
}

bool RawTextScan::isUtf8() const {
    return utf8_ && isWellFormed(characters_.waiting());
}

bool RawTextScan::startsWithByteOrderMark() const noexcept {
    return !afterALine_ && head_ == kUtf8ByteOrderMark;
}

bool RawTextScan::isOnlyByteOrderMark() const noexcept {
    return bytes_ == kUtf8ByteOrderMark.size() && startsWithByteOrderMark();
}

}  // namespace leafwright
