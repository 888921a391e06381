#include "core/text/line_size_scan.h"

#include <algorithm>
#include <cstring>

#include "core/text/byte_scan.h"

namespace leafwright {

namespace {

// How many bytes of the text escaping doubles, and how many continue a UTF-8
// character.
void countMarks(std::string_view bytes, std::uint64_t& escapes, std::uint64_t& continuations) {
    const auto counts = countBytes(
        bytes, [](unsigned char b) { return (b == '\\') | (b == '(') | (b == ')'); },
        [](unsigned char b) { return (b & 0xC0) == 0x80; });
    escapes += counts[0];
    continuations += counts[1];
}

}  // namespace

// The totals come from counting over the whole block. A line's own size is
// worked out only when it may be the widest so far: escaping at most doubles
// a line, and a UTF-8 body is never longer than a Windows-1252 one, so a line
// at most half as long as the widest UTF-8 body yet cannot be wider under
// either reading. Most lines of most texts end up skipped, at the cost of
// finding their end.
void LineSizeScan::add(std::string_view block) {
    if (block.empty()) return;
    // First, so that the byte-order mark is known when the first line ends.
    text_.add(block);
    countMarks(block, escapes_, continuations_);
    const char* p = block.data();
    const std::size_t n = block.size();
    std::size_t start = 0;
    while (const void* found = std::memchr(p + start, '\n', n - start)) {
        std::size_t at = static_cast<const char*>(found) - p;
        // The reader drops a CR right before the LF.
        bool cr = at > 0 ? p[at - 1] == '\r' : lastWasCr_;
        std::uint64_t bytes = lineBytes_ + (at - start) - cr;
        if (2 * bytes > widestUtf8_) measureLine(bytes, block.substr(start, at - start));
        lineBytes_ = lineEscapes_ = lineContinuations_ = 0;
        ++lines_;
        lineBytesTotal_ += bytes;
        start = at + 1;
    }
    // The start of a line that goes on in the next block.
    lineBytes_ += n - start;
    countMarks(block.substr(start), lineEscapes_, lineContinuations_);
    lastWasCr_ = p[n - 1] == '\r';
}

// In UTF-8 each character is one byte of the body and the byte-order mark
// none; in Windows-1252 each byte is one.
void LineSizeScan::measureLine(std::uint64_t bytes, std::string_view rest) {
    std::uint64_t escapes = lineEscapes_, continuations = lineContinuations_;
    countMarks(rest, escapes, continuations);
    std::uint64_t size1252 = bytes + escapes;
    widest1252_ = std::max(widest1252_, size1252);
    // Meaningless when the text is not UTF-8, but then never asked for.
    std::uint64_t sizeUtf8 =
        size1252 - continuations - (lines_ == 0 && text_.startsWithByteOrderMark());
    widestUtf8_ = std::max(widestUtf8_, sizeUtf8);
}

// This scan ends with a line end, so no line is cut between the two.
void LineSizeScan::merge(const LineSizeScan& rest) {
    text_.merge(rest.text_);
    lines_ += rest.lines_;
    lineBytesTotal_ += rest.lineBytesTotal_;
    escapes_ += rest.escapes_;
    continuations_ += rest.continuations_;
    lineBytes_ = rest.lineBytes_;
    lineEscapes_ = rest.lineEscapes_;
    lineContinuations_ = rest.lineContinuations_;
    lastWasCr_ = rest.lastWasCr_;
    widestUtf8_ = std::max(widestUtf8_, rest.widestUtf8_);
    widest1252_ = std::max(widest1252_, rest.widest1252_);
}

void LineSizeScan::finish() {
    if (lineBytes_ == 0) return;
    measureLine(lineBytes_, {});
    ++lines_;
    lineBytesTotal_ += lineBytes_;
    lineBytes_ = lineEscapes_ = lineContinuations_ = 0;
}

std::uint64_t LineSizeScan::widestLine(SourceEncoding encoding) const noexcept {
    return encoding == SourceEncoding::Utf8 ? widestUtf8_ : widest1252_;
}

std::uint64_t LineSizeScan::bodyBytes(SourceEncoding encoding) const noexcept {
    std::uint64_t bytes1252 = lineBytesTotal_ + escapes_;
    if (encoding == SourceEncoding::Windows1252) return bytes1252;
    return bytes1252 - continuations_ - (lines_ > 0 && text_.startsWithByteOrderMark());
}

}  // namespace leafwright
