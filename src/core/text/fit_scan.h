#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/text/line_width_gauge.h"
#include "core/text/raw_text_scan.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// What makes a line of a text drawn in a standard font too long to be drawn
// in one row.
struct RowFit {
    // The font's widths against the text area's width: without tab stops
    // (tab-free ASCII lines, summed many at a time) and with them (every
    // other line, one character at a time). Both are needed when widthCuts.
    const LineWidthGauge* plain = nullptr;
    const LineWidthGauge* tabbed = nullptr;
    // Whether a line wider than the text area is cut (wrapping is on).
    bool widthCuts = false;
    // Whether a form feed ends a row.
    bool formFeedCuts = false;
    // A line of more bytes than this is taken to need cutting whatever its
    // width: rows are bounded in bytes too.
    std::size_t longestWhole = 0;
};

// The first pass over a text (a RawTextScan) that also tells whether any
// line may need cutting into rows, so that a text whose lines all fit is
// read as fast as without wrapping, on two threads (scanInHalves). The
// answer is exact for lines summed: quarter widths bound the sum, and a line
// near the edge is summed exactly. It is given for both readings of the
// bytes, UTF-8 and Windows-1252, since which one holds is known only at the
// end. Once both readings have a line to cut, the rest is not measured.
class FitScan {
  public:
    FitScan() = default;
    // fit must outlive the scan.
    explicit FitScan(const RowFit& fit) : fit_(&fit) {}

    void add(std::string_view block);
    void startAfterALine() noexcept { raw_.startAfterALine(); }
    // Takes in the scan of the rest of the text, made with the same fit.
    void merge(const FitScan& rest);
    // After the last block: the last line may end without a line feed.
    void finish();

    const RawTextScan& raw() const noexcept { return raw_; }
    // Whether some line may need cutting when the text is read in encoding.
    bool mayCut(SourceEncoding encoding) const noexcept {
        return encoding == SourceEncoding::Utf8 ? cutUtf8_ : cut1252_;
    }

  private:
    bool settled() const noexcept { return cutUtf8_ && cut1252_; }
    void measure(std::string_view block);
    void measureWholeLines(std::string_view bytes);
    void measureOneByOne(std::string_view bytes);
    void addToOpenLine(std::string_view part);
    void endOpenLine();

    RawTextScan raw_;
    const RowFit* fit_ = nullptr;
    bool cutUtf8_ = false;
    bool cut1252_ = false;
    // The line that runs on past the block before: its length so far and
    // its width in both readings.
    bool open_ = false;
    std::uint64_t openBytes_ = 0;
    LineWidthGauge::Measure openUtf8_;
    LineWidthGauge::Measure open1252_;
    Utf8Pieces openCharacters_;
};

}  // namespace leafwright
