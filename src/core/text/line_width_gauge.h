#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string_view>

#include "core/text/text_encoding.h"

namespace leafwright {

// Tells which lines of a text in a font of known widths are wider than the
// room they have, and counts them. Widths are given per MacRomanEncoding code
// (thousandths of the font size, 0 for a code below 32), a tab moves to the
// next of the stops tabStop apart (tab_stops.h), and a line is too wide when
// its widths add up to more than `room`.
//
// Most lines are decided by their length alone: one whose byte count times
// the widest glyph fits needs no look at its bytes. The others are summed,
// thirty-two or sixty-four bytes at a time where the processor can look up
// a table that way (AVX2, AVX-512), else one byte at a time. Lines are counted once each however
// often they are read: the caller says which line it measures (LineTally), and the count is shared
// by the readers of one text on any thread.
class LineWidthGauge {
  public:
    // How many bytes a step are summed: the most the processor allows, or
    // fewer (for the tests of each way).
    enum class Steps { Widest, AtMost32, One };

    LineWidthGauge(const std::array<std::uint16_t, 256>& widthOfCode, std::int64_t tabStop,
                   std::int64_t room, Steps steps = Steps::Widest);

    // Whether a line of ASCII bytes, tabs included, is too wide.
    bool tooWide(std::string_view asciiLine) const noexcept;

    // Whether a line of so many bytes may be too wide at all: false for most.
    bool mayBeTooWide(std::size_t bytes) const noexcept { return bytes > surelyFitting_; }
    std::size_t surelyFitting() const noexcept { return surelyFitting_; }
    // Where a line stands in a buffer.
    struct Span {
        std::size_t at;
        std::size_t size;
    };
    // How many of the ASCII lines at `spans` of `bytes` are too wide: many
    // lines measured in one call, the tables at hand for all of them.
    std::uint64_t countTooWide(std::string_view bytes, const Span* spans,
                               std::size_t count) const noexcept;

    // The width of a line read in pieces of whole characters.
    class Measure {
      public:
        void add(const LineWidthGauge& gauge, std::string_view characters,
                 SourceEncoding encoding) noexcept;
        std::int64_t width() const noexcept { return width_; }

      private:
        std::int64_t width_ = 0;
    };
    bool tooWide(const Measure& measure) const noexcept { return measure.width() > room_; }

    void count(std::uint64_t lines) noexcept {
        counted_.fetch_add(lines, std::memory_order_relaxed);
    }
    std::uint64_t counted() const noexcept { return counted_.load(std::memory_order_relaxed); }

    // The sum of the widths of ASCII bytes without tabs, one byte at a time;
    // the faster ways must agree with it.
    std::int64_t plainSum(std::string_view asciiLine) const noexcept;

  private:
    std::int64_t tabbedSum(std::string_view asciiLine) const noexcept;

    std::array<std::uint16_t, 256> widthOfCode_;
    std::array<std::uint16_t, 256> widthOf1252_;  // by Windows-1252 byte
    // For the table look-up many bytes at a time: each ASCII width divided by
    // 4, rounded up, so that a sum of them bounds the true one from above and
    // from below within 3 a byte.
    alignas(64) std::array<std::uint8_t, 128> quarterWidths_{};
    alignas(16) std::array<std::uint8_t, 96> quarterRows_{};  // see quarterSumsAvx2
    bool quartersFit_ = true;  // every ASCII width is at most 4 * 255
    std::int64_t tabStop_;
    std::int64_t room_;
    Steps steps_;
    std::int64_t widestAscii_ = 0;
    std::size_t surelyFitting_ = 0;  // bytes of a line that fits whatever they are
    std::atomic<std::uint64_t> counted_{0};
};

// One reader's share of the counting: lines are numbered as the reader
// hands them out, and a line at or before the last one measured is not
// measured again (a page measured first and written after, a reader gone
// back). Counted lines go to the gauge now and then and when it ends.
class LineTally {
  public:
    LineTally() = default;
    explicit LineTally(LineWidthGauge* gauge) : gauge_(gauge) {}
    LineTally(const LineTally&) = delete;
    LineTally& operator=(const LineTally&) = delete;
    ~LineTally() { flush(); }

    // Measures for gauge from now on (nullptr: no more).
    void start(LineWidthGauge* gauge) noexcept {
        flush();
        gauge_ = gauge;
    }
    bool active() const noexcept { return gauge_ != nullptr; }
    LineWidthGauge* gauge() const noexcept { return gauge_; }
    // Whether line number `line` (from 1) is yet to be measured.
    bool wants(std::uint64_t line) const noexcept { return gauge_ && line > measuredThrough_; }
    // The first line number wanted: none without a gauge.
    std::uint64_t firstWanted() const noexcept {
        return gauge_ ? measuredThrough_ + 1 : ~std::uint64_t{0};
    }
    void measured(std::uint64_t line, bool tooWide) noexcept {
        measuredThrough_ = line;
        if (tooWide && ++pending_ >= kFlushEvery) flush();
    }
    // Lines up to `line` are measured, `tooWide` of them too wide.
    void measuredThrough(std::uint64_t line, std::uint64_t tooWide) noexcept {
        measuredThrough_ = line;
        pending_ += tooWide;
        if (pending_ >= kFlushEvery) flush();
    }
    void flush() noexcept {
        if (gauge_ && pending_ > 0) gauge_->count(pending_);
        pending_ = 0;
    }

  private:
    static constexpr std::uint64_t kFlushEvery = 1024;
    LineWidthGauge* gauge_ = nullptr;
    std::uint64_t measuredThrough_ = 0;
    std::uint64_t pending_ = 0;
};

}  // namespace leafwright
