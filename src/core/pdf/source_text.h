#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/text_encoding.h"
#include "platform/text_file_reader.h"

namespace leafwright {

// What the first pass over a source learns.
struct SourceSummary {
    SourceEncoding encoding = SourceEncoding::Utf8;
    std::uint64_t lineCount = 0;
    // Only with SourceText::Measures::LineSizes: the bytes of the longest
    // line and of all lines together, as PDF string bodies (encoded and
    // escaped).
    std::uint64_t widestLine = 0;
    std::uint64_t bodyBytes = 0;
};

// A source text file read in two passes, so that a document can be written
// without holding the source: the first pass decides the encoding and counts
// (and, when asked, measures) the lines, the second hands them out encoded
// and escaped. A source that cannot be read twice (a pipe) is held in memory
// by the first pass instead.
class SourceText {
  public:
    enum class Measures { LineCount, LineSizes };

    // Runs the first pass. Throws FileError on a read error.
    SourceText(TextFileReader& reader, Measures measures);
    SourceText(const SourceText&) = delete;
    SourceText& operator=(const SourceText&) = delete;

    const SourceSummary& summary() const noexcept { return summary_; }
    const std::string& path() const noexcept { return reader_.path(); }

    // Second pass: appends the next line as a PDF string body (without the
    // parentheses) and returns true, or returns false at the end. Throws
    // FileError when the source now holds more or fewer lines than the first
    // pass counted (it was changed in between).
    bool appendNextLine(std::string& out);
    // Ends the second pass; throws FileError like appendNextLine when lines
    // are left that the first pass did not count.
    void expectEnd();

  private:
    bool nextRawLine(std::string_view& line);
    void firstPass(Measures measures);

    TextFileReader& reader_;
    SourceSummary summary_;
    bool startsWithByteOrderMark_ = false;
    bool held_ = false;
    std::string heldText_;  // every line followed by "\n", for a source read once
    std::size_t heldNext_ = 0;
    bool secondPassStarted_ = false;
    std::uint64_t linesHandedOut_ = 0;
};

}  // namespace leafwright
