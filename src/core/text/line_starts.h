#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace leafwright {

// Some of a text's line starts, kept by a first pass in passing, so that a
// later pass can go straight to a line far ahead: it moves to the nearest
// kept start before that line and skips only the lines in between. A start
// is kept about every `spacing` bytes; past kMostKept starts every other one
// is dropped and the spacing doubles, so a text of any length keeps at most
// a few hundred KB.
class LineStarts {
  public:
    struct Start {
        std::uint64_t offset = 0;  // bytes into the scanned text
        std::uint64_t line = 0;    // lines before it
    };
    static constexpr std::size_t kMostKept = 16384;
    static constexpr std::uint64_t kFirstSpacing = 16 << 10;

    // The offset from which the next start is wanted: the first line start
    // at or after it is the one to keep.
    std::uint64_t wantedFrom() const noexcept { return wantedFrom_; }
    // Keeps a line start found at or after wantedFrom().
    void keep(Start start);
    // No line start lies before `offset`: the search goes on from there.
    void noneBefore(std::uint64_t offset) noexcept { wantedFrom_ = offset; }
    // Takes in the starts of the text that follows this one, which began
    // after `bytes` bytes and `lines` lines of it.
    void append(const LineStarts& rest, std::uint64_t bytes, std::uint64_t lines);

    // The last kept start with at most `line` lines before it; false when
    // there is none.
    bool nearestAtOrBefore(std::uint64_t line, Start& start) const;
    // The first kept start with at least `line` lines before it; false when
    // there is none.
    bool nearestAtOrAfter(std::uint64_t line, Start& start) const;
    std::size_t size() const noexcept { return starts_.size(); }

  private:
    void thinOut();

    std::vector<Start> starts_;
    std::uint64_t spacing_ = kFirstSpacing;
    std::uint64_t wantedFrom_ = kFirstSpacing;
};

}  // namespace leafwright
