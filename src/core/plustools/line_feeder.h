#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

class TextFileWriter;
class UnspoolFilter;

// Splits bytes into lines as the text reader does (a line ends at LF, a CR
// right before it is dropped) and hands each line to the filter in pieces,
// so no line is ever held whole; what the filter writes goes to the writer
// in pieces of about 64 KB.
class LineFeeder {
  public:
    LineFeeder(UnspoolFilter& filter, TextFileWriter& writer);

    void block(std::string_view bytes);
    // The end of a content stream: a line left open ends there, as it does
    // when the stream is read line by line from an uncompressed file (where
    // "endstream" stands on a line of its own).
    void endStream();
    // Hands what the filter wrote so far to the writer, and what it writes
    // from now on to `next`.
    void switchWriter(TextFileWriter& next);
    // The end of the input: a last line without a line end is a line too.
    // Returns the bytes written in all.
    std::uint64_t finish();

    std::uint64_t written() const noexcept { return written_ + pending_.size(); }

  private:
    void piece(std::string_view part);
    void flushIfFull();
    void flush();
    void releaseCr();

    UnspoolFilter& filter_;
    TextFileWriter* writer_;
    std::string pending_;
    std::uint64_t written_ = 0;
    bool crHeld_ = false;
    bool lineOpen_ = false;  // bytes read since the last line end
};

}  // namespace leafwright
