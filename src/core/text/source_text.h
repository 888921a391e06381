#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/text_file_reader.h"
#include "core/text/fit_scan.h"
#include "core/text/line_starts.h"
#include "core/text/line_watch.h"
#include "core/text/line_width_gauge.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// The cause given for a source found changed during its conversion.
inline constexpr const char* kChangedWhileRead = "changed while it was being converted";

// What the first pass over a source learns.
struct SourceSummary {
    SourceEncoding encoding = SourceEncoding::Utf8;
    std::uint64_t lineCount = 0;
    // Only with SourceText::Measures::LineSizes: the bytes of the longest
    // line and of all lines together, as PDF string bodies (encoded and
    // escaped).
    std::uint64_t widestLine = 0;
    std::uint64_t bodyBytes = 0;
    // A tab occurs; a character has no code in MacRomanEncoding. Either one
    // means the lines cannot all be written as plain strings of the standard
    // font.
    bool hasTab = false;
    bool beyondMacRoman = false;
};

// A source text file read in two passes, so that a document can be written
// without holding the source, nor even a whole line of it: the first pass
// decides the encoding and counts (and, when asked, measures) the lines, the
// second hands them out encoded and escaped, piece by piece. A source that
// is only a UTF-8 byte-order mark holds no line.
class SourceText {
  public:
    enum class Measures { LineCount, LineSizes };

    // Runs the first pass. Throws FileError on a read error.
    SourceText(TextFileReader& reader, Measures measures);
    // The same, showing every line to watch on the way (the bytes are then
    // scanned on this thread alone).
    SourceText(TextFileReader& reader, Measures measures, LineWatch* watch);
    // The same with LineCount, telling on the way whether any line may need
    // cutting into rows by `fit` (mayCutRows), on two threads like the
    // first pass without it.
    SourceText(TextFileReader& reader, const RowFit& fit);
    // Another second pass over the source `measured` read, through another
    // reader of the same file (TextFileReader::openAgain): the first pass
    // is not run again.
    SourceText(TextFileReader& reader, const SourceText& measured);
    SourceText(const SourceText&) = delete;
    SourceText& operator=(const SourceText&) = delete;

    const SourceSummary& summary() const noexcept { return summary_; }
    const std::string& path() const noexcept { return reader_.path(); }

    // Made with a RowFit: whether a line of the text, read in its encoding,
    // may need cutting into rows (false: every line fits whole).
    bool mayCutRows() const noexcept { return mayCutRows_; }
    // Before the second pass: shows every line to watch, reading the text
    // once more on this thread, as the first pass with a watch would have.
    void showLinesTo(LineWatch& watch);

    // Second pass, a line at a time: starts the next line and returns true,
    // or returns false at the end. Throws FileError when the source now
    // holds more or fewer lines than the first pass counted (it was changed
    // in between).
    bool startLine();
    // Moves past the next `count` lines without handing them out, between
    // lines; throws like startLine when fewer lines are left than counted.
    void skipLines(std::uint64_t count);
    // Appends the next piece of the started line as PDF string body (without
    // the parentheses): a piece of about a reader's buffer at most. Returns
    // true while more of the line follows, false once it appended the last
    // piece (perhaps nothing).
    bool appendLinePiece(std::string& out);

    // Between lines: appends the next lines, at most `count`, that are
    // ASCII and already read whole, each as start, body and end, while out
    // holds fewer than spillAt bytes; returns how many. It stops at a line
    // it cannot take so (a byte above 0x7F, its end not read yet), which
    // startLine and appendLinePiece then hand out. Throws like startLine.
    std::uint64_t appendAsciiLines(std::string& out, std::uint64_t count, std::size_t spillAt,
                                   std::string_view start, std::string_view end);

    // The same with the piece's source bytes as they are, cut only between
    // characters (decode them with summary().encoding).
    bool appendRawLinePiece(std::string& out);

    // Ends the second pass; throws FileError like startLine when lines are
    // left that the first pass did not count.
    void expectEnd();
    // Throws FileError when content written from the second pass took other
    // than the bytes measured before it: its length went out first, and the
    // source changed in between.
    void expectWritten(std::uint64_t written, std::uint64_t measured) const;

    // Where the second pass stands between lines, to read lines again.
    struct Position {
        std::uint64_t offset = 0;
        std::uint64_t lines = 0;
    };
    Position position() const;
    void returnTo(Position position);
    // Between lines, moves on to line `first` (not back), for a reader that
    // will read the lines before `end` only: it goes through the nearest
    // line start before `first` that the first pass kept, reading only the
    // lines after it, and reads little past the kept start at or after `end`
    // (see TextFileReader::readNoFurtherThan). Throws like skipLines.
    void moveToLines(std::uint64_t first, std::uint64_t end);

    // From now on, measures each line the second pass hands out, once,
    // against gauge (which must outlive this object and the second passes
    // made from it), as plain strings of its font draw the line: tabs to
    // their stops, a Windows-1252 byte or a UTF-8 character as its
    // MacRomanEncoding code.
    void gaugeLineWidths(LineWidthGauge* gauge) noexcept { tally_.start(gauge); }
    // The lines found too wide so far by every second pass of this source
    // (this one's, and those made from it that have ended).
    std::uint64_t linesTooWide() noexcept;

  private:
    void firstPass(Measures measures, LineWatch* watch);
    void takeSummary(const RawTextScan& scan);
    void startSecondPass();
    bool appendPiece(std::string& out, bool raw);
    void appendBody(std::string& out, std::string_view piece, bool lastPiece, bool raw);

    TextFileReader& reader_;
    SourceSummary summary_;
    // Where the lines start: after a byte-order mark that is dropped.
    std::uint64_t textStart_ = 0;
    bool mayCutRows_ = false;
    bool secondPassStarted_ = false;
    std::uint64_t linesHandedOut_ = 0;
    // The piece of the started line read next, valid until the next read.
    bool havePiece_ = false;
    std::string_view piece_;
    bool pieceEndsLine_ = false;
    Utf8Pieces characters_;  // a character cut by the end of a piece
    LineStarts lineStarts_;
    LineTally tally_;
    bool measuring_ = false;  // the started line
    LineWidthGauge::Measure measure_;
};

}  // namespace leafwright
