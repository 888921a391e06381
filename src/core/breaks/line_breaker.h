#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace leafwright {

// Thrown when the Unicode break rules cannot be loaded (the ICU data is
// missing or damaged) or ICU refuses a window's text.
class BreakRulesUnavailable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A stretch of one line's UTF-8 text handed to a LineBreaker. Positions are
// byte offsets in the whole line, so a window can stand anywhere in a line of
// any length.
struct BreakWindow {
    // The bytes. They stay in use until the next setWindow, so they must
    // live that long.
    std::string_view text;
    // Where text[0] stands in the line.
    std::uint64_t start = 0;
    // True when `start` is the line's start, or a piece end (or cluster
    // boundary) that this breaker gave for the same line: the text from
    // there is broken as if it began the line (after a cut inside a word,
    // the rest of the word is a word). Otherwise the window's first
    // kEdgeContext bytes only give context and nothing in them is reported.
    bool startsAtBoundary = true;
    // True when the text runs to the end of the line. Otherwise what follows
    // is unknown: the last kEdgeContext bytes only give context, and the
    // window's end is never a break.
    bool endsLine = true;
};

// Where a line of text may be broken, for a layout that wraps lines wider
// than the page, working on windows of a line so that a line of any length
// (a gigabyte included) costs bounded memory and time.
//
// Line-break opportunities are Unicode's line-breaking rules (UAX #14, with
// dictionary words for Thai, Lao, Khmer and Myanmar, which are written
// without spaces), with two rules on top:
//  - a break always falls on a grapheme-cluster boundary, so a base and its
//    marks, a Hangul syllable, an emoji sequence (joined by ZWJ, with a skin
//    tone) and a flag stay whole;
//  - Korean words stay whole: there is no break between a Hangul character
//    and another Hangul character, letter or digit (as in the keep-all
//    style), only at spaces and punctuation.
// Chinese and Japanese break between characters where the rules allow it
// (never before 。 or 」, never after 「).
//
// A break position p means the line may end before the byte at p; white
// space before p then hangs at the end of the first piece (see
// hangingStart). Grapheme-cluster boundaries serve breaking at characters.
//
// Usage: setWindow, then any number of queries, which only ever report
// positions inside the window's safe zone [safeBegin(), safeEnd()] and after
// the window's start; a search range reaching outside the zone is searched
// only inside it. For a long line, hand over the text from the piece's start
// (startsAtBoundary) or from well before it, up to a few kilobytes past the
// point where the text stops fitting. Text whose breaks depend on more than
// kEdgeContext bytes of context beyond an unknown edge (a run of flags longer
// than that) may get different breaks near that edge, but every break is
// still a cluster boundary of the window's text.
//
// Memory: a well-formed window of up to WindowUnits::kLargest bytes is
// copied as UTF-16 for the rules to read (under a megabyte, its room kept
// for the next window); a longer one is read in place.
//
// Threads: an object holds its own ICU iterators and is used by one thread at
// a time; make one per thread (and keep it for the whole document, since
// making one costs far more than a window). Objects do not share state.
class LineBreaker {
  public:
    // How many bytes beyond an unknown edge of a window are taken as context
    // only.
    static constexpr std::size_t kEdgeContext = 512;
    // A grapheme cluster longer than this (thousands of combining marks) is
    // cut between its code points by nextCluster, so that every cut is
    // found in bounded text.
    static constexpr std::size_t kLongestCluster = 1024;
    // The longest window taken (ICU counts a text's positions in 32 bits).
    static constexpr std::size_t kLargestWindow = std::size_t{1} << 30;

    // Throws BreakRulesUnavailable. byNeighbours: a break (or a cluster
    // boundary) that the two characters beside it decide is found without
    // the full rules, which give the same answer far slower; false has every
    // answer from the full rules, to hold the two side by side.
    explicit LineBreaker(bool byNeighbours = true);
    ~LineBreaker();
    LineBreaker(const LineBreaker&) = delete;
    LineBreaker& operator=(const LineBreaker&) = delete;

    // Starts on a new window; every later answer is about it. Throws
    // std::length_error for a window longer than kLargestWindow, and
    // BreakRulesUnavailable.
    void setWindow(const BreakWindow& window);

    // The safe zone: answers are final for positions in [safeBegin,
    // safeEnd]. It is empty (safeBegin > safeEnd) in a window too short for
    // its unknown edges.
    std::uint64_t safeBegin() const noexcept;
    std::uint64_t safeEnd() const noexcept;

    // The last line-break opportunity b with after < b <= atMost, if any.
    std::optional<std::uint64_t> lastBreak(std::uint64_t after, std::uint64_t atMost);
    // The first line-break opportunity after `after`, if one is in the safe
    // zone.
    std::optional<std::uint64_t> nextBreak(std::uint64_t after);

    // The last grapheme-cluster boundary c with after < c <= atMost, if any.
    std::optional<std::uint64_t> lastCluster(std::uint64_t after, std::uint64_t atMost);
    // The first grapheme-cluster boundary after `after`, if one is in the
    // safe zone; in a cluster longer than kLongestCluster, the last code
    // point boundary at most kLongestCluster bytes after `after` (counted
    // from safeBegin when `after` lies before it), so a long enough safe
    // zone always yields a cut.
    std::optional<std::uint64_t> nextCluster(std::uint64_t after);

    // The end of the text that must fit when a piece ends at `pieceEnd`:
    // before the white space (tabs and spaces other than the no-break ones)
    // that hangs at the piece's end. Not before the window's start.
    std::uint64_t hangingStart(std::uint64_t pieceEnd) const noexcept;
    // Where the white space from `from` (in the window) ends: `from` itself
    // when none follows; nothing when it runs to the window's end short of
    // the line's end, so that it goes on in the next window.
    std::optional<std::uint64_t> hangingEnd(std::uint64_t from) const noexcept;

  private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
};

}  // namespace leafwright
