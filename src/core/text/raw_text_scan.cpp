#include "core/text/raw_text_scan.h"

#include "core/text/byte_scan.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

std::uint64_t countLineFeeds(std::string_view block) {
    return countBytes(block, [](unsigned char b) { return b == '\n'; })[0];
}

bool isWellFormed(std::string_view bytes) {
    return isAscii(bytes) || countUtf8Characters(bytes) != kNotUtf8;
}

}  // namespace

void RawTextScan::add(std::string_view block) {
    if (block.empty()) return;
    bytes_ += block.size();
    endsWithLineFeed_ = block.back() == '\n';
    lineFeeds_ += countLineFeeds(block);
    if (head_.size() < kUtf8ByteOrderMark.size())
        head_.append(block.substr(0, kUtf8ByteOrderMark.size() - head_.size()));
    if (utf8_) checkUtf8(block);
}

void RawTextScan::checkUtf8(std::string_view block) {
    characters_.add(block, [this](std::string_view whole) {
        if (utf8_) utf8_ = isWellFormed(whole);
    });
}

std::uint64_t RawTextScan::lineCount() const noexcept {
    return lineFeeds_ + (bytes_ > 0 && !endsWithLineFeed_);
}

bool RawTextScan::isUtf8() const {
    return utf8_ && isWellFormed(characters_.waiting());
}

bool RawTextScan::startsWithByteOrderMark() const noexcept {
    return head_ == kUtf8ByteOrderMark;
}

bool RawTextScan::isOnlyByteOrderMark() const noexcept {
    return bytes_ == kUtf8ByteOrderMark.size() && startsWithByteOrderMark();
}

}  // namespace leafwright
