#include "pdf/raw_text_scan.h"

#include <algorithm>

#include "pdf/text_encoding.h"

namespace leafwright {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes a character takes judging by its first byte; 1 for anything that
// cannot start a longer one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

std::uint64_t countLineFeeds(std::string_view block) {
    std::uint64_t count = 0;
    // Byte-wide counters in short runs let the compiler compare many bytes
    // per instruction.
    while (!block.empty()) {
        std::size_t run = std::min<std::size_t>(block.size(), 255);
        unsigned char inRun = 0;
        for (std::size_t i = 0; i < run; ++i) inRun += block[i] == '\n';
        count += inRun;
        block.remove_prefix(run);
    }
    return count;
}

bool isWellFormed(std::string_view bytes) {
    return isAscii(bytes) || countUtf8Characters(bytes) != kNotUtf8;
}

}  // namespace

void RawTextScan::add(std::string_view block) {
    if (block.empty()) return;
    empty_ = false;
    endsWithLineFeed_ = block.back() == '\n';
    lineFeeds_ += countLineFeeds(block);
    if (head_.size() < kUtf8ByteOrderMark.size())
        head_.append(block.substr(0, kUtf8ByteOrderMark.size() - head_.size()));
    if (utf8_) checkUtf8(block);
}

// Cutting bytes apart right before a byte that is not a continuation byte
// never splits a well-formed character, and a character that would need that
// byte is malformed either way; so the pieces are well-formed exactly when
// the whole is. Blocks come cut anywhere, though: a character cut short at
// the end of one waits in pending_ for the continuation bytes that start the
// next.
void RawTextScan::checkUtf8(std::string_view block) {
    if (!pending_.empty()) {
        std::size_t continued = 0;
        while (continued < block.size() && continued < 4 && isContinuation(block[continued]))
            ++continued;
        pending_.append(block.substr(0, continued));
        block.remove_prefix(continued);
        if (block.empty() && pending_.size() < 4 && pending_.size() < sequenceLength(pending_[0]))
            return;  // still short; the next block may complete it
        utf8_ = isWellFormed(pending_);
        pending_.clear();
        if (!utf8_ || block.empty()) return;
    }
    // The last byte that may start a character, within the length of the
    // longest one; a character that starts there but does not fit waits.
    std::size_t lookBack = std::min<std::size_t>(block.size(), 4);
    for (std::size_t back = 1; back <= lookBack; ++back) {
        std::size_t start = block.size() - back;
        if (isContinuation(block[start])) continue;
        if (sequenceLength(static_cast<unsigned char>(block[start])) > back) {
            pending_.assign(block.substr(start));
            block = block.substr(0, start);
        }
        break;
    }
    utf8_ = isWellFormed(block);
}

std::uint64_t RawTextScan::lineCount() const noexcept {
    return lineFeeds_ + (!empty_ && !endsWithLineFeed_);
}

bool RawTextScan::isUtf8() const {
    return utf8_ && (pending_.empty() || isWellFormed(pending_));
}

bool RawTextScan::startsWithByteOrderMark() const noexcept {
    return head_ == kUtf8ByteOrderMark;
}

}  // namespace leafwright
