#pragma once

#include <cstdint>
#include <string_view>

#include "core/text/raw_text_scan.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// Measures the lines of a text from its raw bytes, handed over in blocks of
// any size, as a line-by-line reading would find them: the longest line and
// all lines together, in bytes of PDF string bodies (encoded and escaped),
// under both readings of the bytes, since which one holds is known only at
// the end. It needs no line splitting, so it is the cheap way to measure a
// text that can be read again for writing.
class LineSizeScan {
  public:
    void add(std::string_view block);
    // As RawTextScan's: call before adding.
    void startAfterALine() noexcept { text_.startAfterALine(); }
    // As RawTextScan's, before finish().
    void merge(const LineSizeScan& rest);
    std::uint64_t bytes() const noexcept { return text_.bytes(); }
    // Measures the last line when it has no line end; call once, after the
    // last block.
    void finish();

    std::uint64_t lineCount() const noexcept { return lines_; }
    bool isUtf8() const { return text_.isUtf8(); }
    bool startsWithByteOrderMark() const noexcept { return text_.startsWithByteOrderMark(); }
    bool isOnlyByteOrderMark() const noexcept { return text_.isOnlyByteOrderMark(); }
    bool hasTab() const noexcept { return text_.hasTab(); }
    bool isBeyondMacRoman(SourceEncoding encoding) const noexcept {
        return text_.isBeyondMacRoman(encoding);
    }
    std::uint64_t widestLine(SourceEncoding encoding) const noexcept;
    const LineStarts& lineStarts() const noexcept { return text_.lineStarts(); }
    std::uint64_t bodyBytes(SourceEncoding encoding) const noexcept;

  private:
    void measureLine(std::uint64_t bytes, std::string_view rest);

    RawTextScan text_;  // well-formed UTF-8 or not, byte-order mark
    std::uint64_t lines_ = 0;
    // Over all lines: their bytes, how many of them escaping doubles, and how
    // many continue a UTF-8 character.
    std::uint64_t lineBytesTotal_ = 0, escapes_ = 0, continuations_ = 0;
    // The same for the part of the current line in earlier blocks.
    std::uint64_t lineBytes_ = 0, lineEscapes_ = 0, lineContinuations_ = 0;
    bool lastWasCr_ = false;  // the last byte of the previous block is a CR
    std::uint64_t widestUtf8_ = 0, widest1252_ = 0;
};

}  // namespace leafwright
