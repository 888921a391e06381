#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/breaks/piece_end.h"
#include "core/pdf/ascii_advances.h"
#include "core/settings/more_settings.h"

namespace leafwright {

struct StandardFontWidths;

// Takes the rows one source line is drawn in, in order.
class RowSink {
  public:
    virtual ~RowSink() = default;
    // A row: whole UTF-8 characters, as the source holds them (at most
    // LineWrapper::kLongestRow bytes and a cluster); continuation: it goes on
    // with the text of the row before it.
    virtual void row(std::string_view characters, bool continuation) = 0;
    // A form feed stood right after the row just ended.
    virtual void formFeed() = 0;
};

// How wide the start of a row is as it will be drawn, in the units of the
// text area's width, with tab stops counted from the row's start.
class RowMeasure {
  public:
    virtual ~RowMeasure() = default;
    // Before a reading of the text: a measure that learns from the rows it
    // measured (to guess how much text a row takes) starts afresh, so that
    // every reading cuts the same rows.
    virtual void restart() {}
    // Before a row is measured: continued when it goes on with the source
    // line of the row before (its first row is measured first).
    virtual void startRow(bool continued) { (void)continued; }
    // The end of the longest start of text (whole UTF-8 characters from a
    // row's start) that fits in the text area, with pastEdge set when the
    // text does not fit whole.
    virtual std::size_t fittingEnd(std::string_view text, bool& pastEdge) = 0;
    // Whether a row fits when drawn on its own, less the white space that
    // hangs at its end from hangingFrom: a measure whose fittingEnd only
    // estimates (a shaped text drawn in pieces) says here when the cut must
    // move back.
    virtual bool fits(std::string_view row, std::size_t hangingFrom) {
        (void)row;
        (void)hangingFrom;
        return true;
    }
};

// The widths of a standard font (MacRomanEncoding codes), in thousandths
// of the font size.
class StandardRowMeasure : public RowMeasure {
  public:
    StandardRowMeasure(const StandardFontWidths& widths, std::int64_t areaWidth);
    std::size_t fittingEnd(std::string_view text, bool& pastEdge) override;
    // Whether it met a character the standard font cannot draw (beyond
    // MacRomanEncoding, or a byte that starts no UTF-8 character): such a
    // text is measured otherwise.
    bool metOtherText() const noexcept { return otherText_; }

  private:
    bool otherText_ = false;
    const StandardFontWidths& widths_;
    // The widths of the printable ASCII characters, summed many at a time.
    AsciiAdvances asciiAdvances_;
    std::int64_t areaWidth_;
    std::int64_t tabStop_;
};

// Cuts the lines of a text into the rows they are drawn in: at form feeds
// (when they end pages), and where a line is wider than the text area, by
// the break rule of the wrap mode, measured by a RowMeasure as the rows are
// drawn. A line that fits is handed on
// without the break rules being asked. Memory stays bounded however long a
// line is: the text is held from the start of the row being found and a few
// kilobytes beyond the point where it stops fitting; a row that would take
// more than kLongestRow bytes (a word or a run of spaces that long, or a
// line with wrapping off) ends there and goes on as a continuation.
class LineWrapper {
  public:
    static constexpr std::size_t kLongestRow = 1 << 16;
    static constexpr std::size_t kLookAhead = 8 << 10;
    static constexpr std::size_t kShortReach = 2 * LineBreaker::kEdgeContext + 256;
    // How many times a row that does not fit as drawn is cut sooner.
    static constexpr int kFittingTries = 16;

    // areaWidth: in thousandths of the font size.
    LineWrapper(const StandardFontWidths& widths, std::int64_t areaWidth, WrapMode mode,
                bool formFeedEndsRow);
    // measure: must outlive the wrapper.
    LineWrapper(RowMeasure& measure, WrapMode mode, bool formFeedEndsRow);
    RowMeasure& measure() noexcept { return measure_; }
    ~LineWrapper();
    LineWrapper(const LineWrapper&) = delete;
    LineWrapper& operator=(const LineWrapper&) = delete;

    void beginLine(RowSink& sink);
    // The line's UTF-8 bytes, cut anywhere.
    void add(std::string_view bytes);
    void endLine();

    // Lines that took more than one row (form feeds aside).
    std::uint64_t wrappedLines() const noexcept { return wrappedLines_; }
    // Lines with a row wider than the text area (one not wrapped, or a word
    // longer than the line); spaces hanging past the edge at a break aside.
    std::uint64_t linesPastEdge() const noexcept { return linesPastEdge_; }

  private:
    void endSegment();
    void emitRows(bool segmentEnds);
    std::size_t fittingRowEnd(std::string_view text, std::size_t fitEnd, bool segmentEnds);
    std::size_t rowEnd(std::string_view text, std::size_t fitEnd, bool segmentEnds);
    std::size_t clusterCut(std::string_view text, std::size_t atMost, bool segmentEnds);
    LineBreaker& breaker();

    std::unique_ptr<RowMeasure> ownMeasure_;
    RowMeasure& measure_;
    WrapMode mode_;
    BreakRule rule_;
    bool formFeedEndsRow_;
    std::unique_ptr<LineBreaker> breaker_;  // made for the first line too wide
    // The breaker's window, when it holds the rest of the segment from a
    // row that ended at a break (held_ unchanged since), and where in it
    // the row being cut starts.
    bool windowReusable_ = false;
    const char* windowBase_ = nullptr;
    std::size_t windowSize_ = 0;
    std::size_t windowOffset_ = 0;

    RowSink* sink_ = nullptr;
    std::string held_;    // the segment's text from before at_
    std::size_t at_ = 0;  // where the next row starts in held_
    bool segmentRows_ = false;
    bool lineWrapped_ = false;
    std::uint64_t wrappedLines_ = 0;
    bool linePastEdge_ = false;
    std::uint64_t linesPastEdge_ = 0;
};

}  // namespace leafwright
