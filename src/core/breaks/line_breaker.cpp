#include "core/breaks/line_breaker.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <string>

#include "core/breaks/neighbour_breaks.h"
#include "core/breaks/window_units.h"

namespace leafwright {
namespace {

constexpr std::int32_t kDone = icu::BreakIterator::DONE;

void expectSuccess(UErrorCode status, const char* what) {
    if (U_FAILURE(status))
        throw BreakRulesUnavailable(std::string("line breaking: ICU could not ") + what + " (" +
                                    u_errorName(status) + ")");
}

std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator* iterator, UErrorCode status,
                                         const char* what) {
    std::unique_ptr<icu::BreakIterator> owned(iterator);
    expectSuccess(status, what);
    if (!owned) throw BreakRulesUnavailable(std::string("line breaking: ICU could not ") + what);
    return owned;
}

bool isHangul(UChar32 c) {
    UErrorCode status = U_ZERO_ERROR;
    return c >= 0 && uscript_getScript(c, &status) == USCRIPT_HANGUL;
}

bool ofNoClusterClass(UChar32 c) {
    return c >= 0 && u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_OTHER;
}

bool isMark(UChar32 c) {
    return (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0;
}

// White space that hangs past the line's end instead of being carried over:
// tabs and the space separators that are not no-break spaces.
bool hangs(UChar32 c) {
    if (c < 0x80) return c == ' ' || c == '\t';  // most text, without a look-up
    if (c == 0xA0 || c == 0x2007 || c == 0x202F) return false;
    return c >= 0 && u_charType(c) == U_SPACE_SEPARATOR;
}

}  // namespace

struct LineBreaker::Engine {
    std::unique_ptr<icu::BreakIterator> lines;
    std::unique_ptr<icu::BreakIterator> clusters;
    // Reopened over each window; the iterators keep shallow clones of it.
    UText text = UTEXT_INITIALIZER;
    // The window as UTF-16, when the rules read it so; else they read the
    // bytes, and unit indexes are byte indexes.
    WindowUnits units;
    bool inUnits = false;
    // The iterators are handed the window when first asked about it: most
    // rows of a Chinese or Japanese text end where the neighbours of the
    // row's end decide, and handing over a window costs more than that.
    bool handedOver = false;
    bool byNeighbours = true;
    // The class of the character before the position breakByNeighbours was
    // asked about last.
    NeighbourClass classBeforeAsked = NeighbourClass::other;

    const std::uint8_t* bytes = nullptr;
    std::int32_t size = 0;
    std::uint64_t start = 0;
    bool endsLine = true;
    // The safe zone, as indexes into the window.
    std::int32_t safeBegin = 0;
    std::int32_t safeEnd = 0;

    ~Engine() { utext_close(&text); }

    // A line position as an index into the window, clamped to it.
    std::int32_t indexOf(std::uint64_t position) const noexcept {
        if (position <= start) return 0;
        return static_cast<std::int32_t>(std::min<std::uint64_t>(position - start, size));
    }
    std::uint64_t positionOf(std::int32_t index) const noexcept { return start + index; }

    std::int32_t codePointFloor(std::int32_t index) const noexcept {
        if (index <= 0 || index >= size) return std::clamp(index, 0, size);
        U8_SET_CP_START(bytes, 0, index);
        return index;
    }
    std::int32_t codePointCeiling(std::int32_t index) const noexcept {
        if (index <= 0 || index >= size) return std::clamp(index, 0, size);
        U8_SET_CP_LIMIT(bytes, 0, index, size);
        return index;
    }
    UChar32 before(std::int32_t index) const noexcept {
        UChar32 c = U_SENTINEL;
        if (index > 0) U8_PREV(bytes, 0, index, c);
        return c;
    }
    UChar32 at(std::int32_t index) const noexcept {
        UChar32 c = U_SENTINEL;
        if (index < size) U8_NEXT(bytes, index, size, c);
        return c;
    }

    void handOver() {
        if (handedOver) return;
        UErrorCode status = U_ZERO_ERROR;
        inUnits = units.take(
            std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size)));
        if (inUnits)
            utext_openUChars(&text, units.units(), units.unitCount(), &status);
        else
            utext_openUTF8(&text, reinterpret_cast<const char*>(bytes), size, &status);
        expectSuccess(status, "open a window of text");
        lines->setText(&text, status);
        clusters->setText(&text, status);
        expectSuccess(status, "take a window of text");
        handedOver = true;
    }
    icu::BreakIterator& lineRules() {
        handOver();
        return *lines;
    }
    icu::BreakIterator& clusterRules() {
        handOver();
        return *clusters;
    }

    // The character start before `index` (a character start), or -1.
    std::int32_t previousStart(std::int32_t index) const noexcept {
        if (index <= 0) return -1;
        U8_BACK_1(bytes, 0, index);
        return index;
    }
    NeighbourClass classBefore(std::int32_t index) const noexcept {
        const UChar32 c = before(index);
        return c < 0 ? NeighbourClass::other : neighbourClassOf(static_cast<char32_t>(c));
    }
    NeighbourClass classAt(std::int32_t index) const noexcept {
        const UChar32 c = at(index);
        return c < 0 ? NeighbourClass::other : neighbourClassOf(static_cast<char32_t>(c));
    }
    // Whether the line may break at `index` (a character start in the safe
    // zone before the window's end), as far as the characters beside it
    // tell. walkedBack: `index` is the start of the character before the
    // position asked last, whose class is known from then.
    NeighbourBreak breakByNeighbours(std::int32_t index, bool walkedBack) noexcept {
        const NeighbourClass after = walkedBack ? classBeforeAsked : classAt(index);
        if (after == NeighbourClass::other) return NeighbourBreak::unknown;
        const NeighbourClass last = classBefore(index);
        classBeforeAsked = last;
        NeighbourClass beforeSpaces = NeighbourClass::other;
        if (last == NeighbourClass::space) {
            std::int32_t from = index;
            const std::int32_t longest =
                std::max(0, index - static_cast<std::int32_t>(kEdgeContext));
            while (from > longest && bytes[from - 1] == ' ') --from;
            // A run of spaces from the window's start, or a long one, is left
            // to the full rules.
            if (from > longest) beforeSpaces = classBefore(from);
        }
        return neighbourBreak(beforeSpaces, last, after);
    }
    NeighbourBreak clusterByNeighbours(std::int32_t index) const noexcept {
        return ofNoClusterClass(before(index)) && ofNoClusterClass(at(index))
                   ? NeighbourBreak::breaks
                   : NeighbourBreak::unknown;
    }

    // The iterators' positions are units; the rest of the engine speaks in
    // byte indexes, which these turn into units and back. A byte inside a
    // character stands for the character's start, as for the UTF-8 text.
    std::int32_t unitOf(std::int32_t index) const noexcept {
        return inUnits ? units.unitOf(index) : index;
    }
    std::int32_t indexOfUnit(std::int32_t unit) const noexcept {
        return inUnits && unit != kDone ? units.byteOf(unit) : unit;
    }
    bool isBoundary(icu::BreakIterator& iterator, std::int32_t index) const {
        if (!inUnits) return iterator.isBoundary(index);
        const std::int32_t unit = units.unitOf(index);
        // A byte inside a character stands for no boundary.
        return iterator.isBoundary(unit) && units.byteOf(unit) == index;
    }
    std::int32_t preceding(icu::BreakIterator& iterator, std::int32_t index) const {
        return indexOfUnit(iterator.preceding(unitOf(index)));
    }
    std::int32_t following(icu::BreakIterator& iterator, std::int32_t index) const {
        return indexOfUnit(iterator.following(unitOf(index)));
    }
    std::int32_t next(icu::BreakIterator& iterator) const { return indexOfUnit(iterator.next()); }
    std::int32_t previous(icu::BreakIterator& iterator) const {
        return indexOfUnit(iterator.previous());
    }

    bool inZone(std::int32_t index) const noexcept {
        return index > 0 && index >= safeBegin && index <= safeEnd;
    }

    // Whether a break of the line rules between Hangul and a letter or digit
    // (or the other way round) falls inside a Korean word. Marks after a base
    // count as their base.
    bool splitsKoreanWord(std::int32_t index) {
        UChar32 last = before(index);
        if (isMark(last)) {
            const std::int32_t clusterStart = preceding(clusterRules(), index);
            if (clusterStart != kDone) last = at(clusterStart);
        }
        const UChar32 next = at(index);
        return (isHangul(last) || isHangul(next)) && u_isalnum(last) && u_isalnum(next);
    }

    bool acceptedBreak(std::int32_t index) {
        if (!inZone(index)) return false;
        // Between ASCII characters every position is a cluster boundary but
        // CR LF, where the line rules never break, and no Korean word.
        if (bytes[index - 1] < 0x80 && (index == size || bytes[index] < 0x80)) return true;
        // Between two characters of no grapheme-cluster class (ideographs,
        // kana, most letters and punctuation) every position is a boundary
        // too: each rule that joins characters into a cluster names a class
        // on one side at least. The iterator, sent to each row's end in turn,
        // costs more than the rest of a row's breaking.
        if (index < size && ofNoClusterClass(before(index)) && ofNoClusterClass(at(index)))
            return !splitsKoreanWord(index);
        return isBoundary(clusterRules(), index) && !splitsKoreanWord(index);
    }

    // Where a forward search for boundaries after `after` starts: not before
    // the safe zone.
    std::int32_t searchFrom(std::uint64_t after) const noexcept {
        return std::max({indexOf(after), safeBegin - 1, 0});
    }

    // The last boundary of the iterator that `rules` hands over in (after,
    // atMost] that `accepted` takes.
    // Before that, the characters beside each position from the last down
    // are asked (`neighbours`, told whether the position is the one before
    // the position asked last), while they can tell. The window's end,
    // which is the line's when it is in the zone, is a boundary of both.
    template <typename Neighbours, typename Accepted>
    std::optional<std::uint64_t> last(icu::BreakIterator& (Engine::*rules)(), std::uint64_t after,
                                      std::uint64_t atMost, Neighbours neighbours,
                                      Accepted accepted) {
        if (atMost <= after || atMost <= start) return std::nullopt;
        const std::int32_t low = std::max({after < start ? 0 : indexOf(after) + 1, safeBegin, 1});
        std::int32_t high = std::min(indexOf(atMost), safeEnd);
        if (low > high) return std::nullopt;
        // A position inside a character stands for none: the search starts
        // at the character start before it.
        std::int32_t at = codePointFloor(high);
        if (at != high) at = previousStart(at);
        if (at == size) return positionOf(at);
        if (byNeighbours) {
            for (bool walkedBack = false; at >= low; at = previousStart(at), walkedBack = true) {
                const NeighbourBreak answer = neighbours(at, walkedBack);
                if (answer == NeighbourBreak::breaks) return positionOf(at);
                if (answer == NeighbourBreak::unknown) break;
            }
        }
        if (at < low) return std::nullopt;
        high = at;
        icu::BreakIterator& iterator = (this->*rules)();
        std::int32_t boundary = isBoundary(iterator, high) ? high : preceding(iterator, high);
        for (; boundary != kDone && boundary >= low; boundary = previous(iterator))
            if (accepted(boundary)) return positionOf(boundary);
        return std::nullopt;
    }
};

LineBreaker::LineBreaker(bool byNeighbours) : engine_(std::make_unique<Engine>()) {
    engine_->byNeighbours = byNeighbours;
    const icu::Locale& root = icu::Locale::getRoot();
    UErrorCode status = U_ZERO_ERROR;
    engine_->lines = made(icu::BreakIterator::createLineInstance(root, status), status,
                          "load the line-breaking rules");
    status = U_ZERO_ERROR;
    engine_->clusters = made(icu::BreakIterator::createCharacterInstance(root, status), status,
                             "load the grapheme-cluster rules");
    setWindow(BreakWindow{});
}

LineBreaker::~LineBreaker() = default;

void LineBreaker::setWindow(const BreakWindow& window) {
    if (window.text.size() > kLargestWindow)
        throw std::length_error("line breaking: a window of " + std::to_string(window.text.size()) +
                                " bytes is too long");
    Engine& e = *engine_;
    e.bytes = reinterpret_cast<const std::uint8_t*>(window.text.empty() ? "" : window.text.data());
    e.size = static_cast<std::int32_t>(window.text.size());
    e.start = window.start;
    e.endsLine = window.endsLine;

    e.handedOver = false;
    e.inUnits = false;

    const std::int32_t context =
        static_cast<std::int32_t>(std::min<std::size_t>(kEdgeContext, e.size));
    e.safeBegin = window.startsAtBoundary ? 0 : e.codePointCeiling(context);
    e.safeEnd = window.endsLine ? e.size : e.codePointFloor(e.size - context);
}

std::uint64_t LineBreaker::safeBegin() const noexcept {
    return engine_->positionOf(engine_->safeBegin);
}

std::uint64_t LineBreaker::safeEnd() const noexcept {
    return engine_->positionOf(engine_->safeEnd);
}

std::optional<std::uint64_t> LineBreaker::lastBreak(std::uint64_t after, std::uint64_t atMost) {
    Engine& e = *engine_;
    return e.last(
        &Engine::lineRules, after, atMost,
        [&e](std::int32_t at, bool walkedBack) { return e.breakByNeighbours(at, walkedBack); },
        [&e](std::int32_t at) { return e.acceptedBreak(at); });
}

std::optional<std::uint64_t> LineBreaker::nextBreak(std::uint64_t after) {
    Engine& e = *engine_;
    icu::BreakIterator& lines = e.lineRules();
    for (std::int32_t at = e.following(lines, e.searchFrom(after)); at != kDone && at <= e.safeEnd;
         at = e.next(lines)) {
        if (e.acceptedBreak(at)) return e.positionOf(at);
    }
    return std::nullopt;
}

std::optional<std::uint64_t> LineBreaker::lastCluster(std::uint64_t after, std::uint64_t atMost) {
    Engine& e = *engine_;
    return e.last(
        &Engine::clusterRules, after, atMost,
        [&e](std::int32_t at, bool) { return e.clusterByNeighbours(at); },
        [&e](std::int32_t at) { return e.inZone(at); });
}

std::optional<std::uint64_t> LineBreaker::nextCluster(std::uint64_t after) {
    Engine& e = *engine_;
    const std::int32_t from = e.searchFrom(after);
    const std::int32_t at = e.following(e.clusterRules(), from);
    const std::int32_t base = std::max(after < e.start ? 0 : e.indexOf(after), e.safeBegin);
    const std::int64_t longest = static_cast<std::int64_t>(base) + kLongestCluster;
    if (at != kDone && at <= longest) {
        if (at <= e.safeEnd) return e.positionOf(at);
        return std::nullopt;
    }
    // No boundary within the longest cluster: a cut between code points, if
    // the safe zone reaches that far.
    if (longest > e.safeEnd) return std::nullopt;
    const std::int32_t cut = e.codePointFloor(static_cast<std::int32_t>(longest));
    if (cut <= base) return std::nullopt;
    return e.positionOf(cut);
}

std::uint64_t LineBreaker::hangingStart(std::uint64_t pieceEnd) const noexcept {
    const Engine& e = *engine_;
    std::int32_t at = e.indexOf(pieceEnd);
    while (at > 0) {
        std::int32_t previous = at;
        UChar32 c = U_SENTINEL;
        U8_PREV(e.bytes, 0, previous, c);
        if (!hangs(c)) break;
        at = previous;
    }
    return e.positionOf(at);
}

std::optional<std::uint64_t> LineBreaker::hangingEnd(std::uint64_t from) const noexcept {
    const Engine& e = *engine_;
    std::int32_t at = e.indexOf(from);
    while (at < e.size) {
        std::int32_t next = at;
        UChar32 c = U_SENTINEL;
        U8_NEXT(e.bytes, next, e.size, c);
        // A character cut by the window's end may be white space.
        if (c < 0 && next == e.size && !e.endsLine) return std::nullopt;
        if (!hangs(c)) return e.positionOf(at);
        at = next;
    }
    if (!e.endsLine) return std::nullopt;
    return e.positionOf(at);
}

}  // namespace leafwright
