#pragma once

#include <cstdint>

#include "core/breaks/line_breaker.h"

namespace leafwright {

// Where a line too wide for the text area may be broken.
enum class BreakRule {
    words,                // only at line-break opportunities: a longer word runs past the edge
    characters,           // after the last grapheme cluster that fits
    wordsThenCharacters,  // at opportunities; inside a word only when it alone is too wide
};

// Where a wrapped piece of a line ends, and how that end was found.
struct PieceEnd {
    enum class Kind {
        // `end` is a line-break opportunity.
        breakPoint,
        // `end` is a grapheme-cluster boundary, or a code point boundary
        // inside a cluster longer than LineBreaker::kLongestCluster.
        cluster,
        // Words only: the word at the piece's start is wider than the line,
        // and the opportunity after it lies past the window's safe zone, of
        // which `end` is the end. Search on with nextBreak(end) in the
        // following windows; the piece ends at the first one found.
        wordRunsOn,
        // The white space from the fitting end hangs, and it runs past the
        // safe zone, of which `end` is the end. Search on with
        // hangingEnd(end) in the following windows; the piece takes all that
        // white space and ends where it does.
        spaceRunsOn,
        // The window's safe zone does not reach past the piece's start and
        // the fitting end (it must reach a few kilobytes beyond them, unless
        // it ends the line); `end` is unused.
        needsLongerWindow,
    };
    Kind kind = Kind::needsLongerWindow;
    // Where the piece ends and the next one starts: after the white space
    // that hangs at the piece's end (LineBreaker::hangingStart tells where
    // that white space starts). Always after the piece's start.
    std::uint64_t end = 0;
    // The piece's text, less its hanging white space, reaches past
    // `fitEnd`: a word or a cluster wider than the line. Set with
    // breakPoint, cluster and wordRunsOn.
    bool pastEdge = false;
};

// Where the piece that starts at `start` ends, when the text from `start` to
// `fitEnd` is the most that fits on the line (fitEnd >= start: the layout
// measures the text, this chooses among the breaks; `start` is the line's
// start or the end of the piece before). The piece always takes at least one
// grapheme cluster (or a cut of an over-long one), so that the layout moves
// on. The
// breaker's window must cover fitEnd, and reach well past it unless it ends
// the line. Throws std::invalid_argument when fitEnd < start.
PieceEnd findPieceEnd(LineBreaker& breaker, std::uint64_t start, std::uint64_t fitEnd,
                      BreakRule rule);

}  // namespace leafwright
