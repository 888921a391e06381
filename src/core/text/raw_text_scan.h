#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/text/line_starts.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// Learns from the raw bytes of a text, handed over in blocks of any size,
// what a line-by-line reading would: how many lines it holds, whether it is
// well-formed UTF-8 and whether it starts with a UTF-8 byte-order mark. It
// looks at each byte about once and needs no line splitting, so it is the
// cheap first pass when nothing else about the lines is wanted.
class RawTextScan {
  public:
    void add(std::string_view block);

    // For a scan of the text from the start of a line after its first:
    // nothing there is the start of the text. Call before adding.
    void startAfterALine() noexcept { afterALine_ = true; }
    // Takes in the scan of the rest of the text (see startAfterALine),
    // this one having been handed all of it before that line.
    void merge(const RawTextScan& rest);

    // Lines as TextFileReader::readLine would hand them out: one per LF, and
    // one more for bytes after the last LF.
    std::uint64_t lineCount() const noexcept;
    // Call once all blocks are added.
    bool isUtf8() const;
    bool startsWithByteOrderMark() const noexcept;
    // Bytes added.
    std::uint64_t bytes() const noexcept { return bytes_; }
    // The text is a UTF-8 byte-order mark and nothing else.
    bool isOnlyByteOrderMark() const noexcept;
    // A tab occurs somewhere.
    bool hasTab() const noexcept { return hasTab_; }
    // Read in the encoding given, the text holds a character that the PDF
    // MacRomanEncoding cannot show (a leading UTF-8 byte-order mark aside).
    bool isBeyondMacRoman(SourceEncoding encoding) const noexcept {
        return encoding == SourceEncoding::Utf8 ? beyondUtf8_ : beyond1252_;
    }

    // Line starts kept on the way, their offsets counted from the first
    // byte added.
    const LineStarts& lineStarts() const noexcept { return lineStarts_; }

  private:
    bool countKeepingStarts(std::string_view block);
    void checkUtf8(std::string_view block);

    std::uint64_t lineFeeds_ = 0;
    std::uint64_t bytes_ = 0;
    bool endsWithLineFeed_ = false;
    std::string head_;  // the first bytes, up to the length of a byte-order mark
    bool utf8_ = true;
    Utf8Pieces characters_;
    std::uint64_t wholeBytes_ = 0;  // bytes passed on whole by characters_
    bool hasTab_ = false;
    bool beyondUtf8_ = false, beyond1252_ = false;
    bool afterALine_ = false;
    LineStarts lineStarts_;
};

}  // namespace leafwright
