#include "core/breaks/piece_end.h"

#include <optional>
#include <stdexcept>

namespace leafwright {

PieceEnd findPieceEnd(LineBreaker& breaker, std::uint64_t start, std::uint64_t fitEnd,
                      BreakRule rule) {
    using Kind = PieceEnd::Kind;
    if (fitEnd < start)
        throw std::invalid_argument("line breaking: the fitting end is before the piece");
    const std::uint64_t safeEnd = breaker.safeEnd();
    if (fitEnd > safeEnd || safeEnd <= start) return {Kind::needsLongerWindow, 0, false};

    // White space after the fitting end hangs, so every end up to where that
    // white space stops fits too.
    const std::optional<std::uint64_t> hanging = breaker.hangingEnd(fitEnd);
    if (!hanging || *hanging > safeEnd) return {Kind::spaceRunsOn, safeEnd, false};
    const std::uint64_t fits = *hanging;
    const auto endingAt = [&](Kind kind, std::uint64_t end) {
        return PieceEnd{kind, end, breaker.hangingStart(end) > fitEnd};
    };

    if (rule != BreakRule::characters) {
        if (const auto end = breaker.lastBreak(start, fits))
            return endingAt(Kind::breakPoint, *end);
        // The word at the piece's start is wider than the line.
        if (rule == BreakRule::words) {
            if (const auto end = breaker.nextBreak(fits)) return endingAt(Kind::breakPoint, *end);
            return {Kind::wordRunsOn, safeEnd, true};
        }
    }
    if (const auto end = breaker.lastCluster(start, fits)) return endingAt(Kind::cluster, *end);
    // Not even the first cluster fits: it stands on the line alone.
    if (const auto end = breaker.nextCluster(start)) return endingAt(Kind::cluster, *end);
    return {Kind::needsLongerWindow, 0, false};
}

}  // namespace leafwright
