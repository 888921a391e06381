#include "core/pdf/wrapped_lines.h"

#include <algorithm>

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/tab_stops.h"
#include "core/text/mac_roman_encode.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

BreakRule ruleOf(WrapMode mode) {
    switch (mode) {
        case WrapMode::Char:
            return BreakRule::characters;
        case WrapMode::Word:
            return BreakRule::words;
        default:
            return BreakRule::wordsThenCharacters;
    }
}

// The character at text[at] and its length; a byte that starts no
// well-formed character stands for itself.
char32_t decodeAt(std::string_view text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (need == 0 || at + need > text.size()) return lead;
    char32_t c = lead & (0x3F >> (need - 1));
    for (std::size_t k = 1; k < need; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return lead;
        c = (c << 6) | (next & 0x3F);
    }
    length = need;
    return c;
}

}  // namespace

StandardRowMeasure::StandardRowMeasure(const StandardFontWidths& widths, std::int64_t areaWidth)
    : widths_(widths),
      asciiAdvances_(AsciiAdvances::of(widths)),
      areaWidth_(areaWidth),
      tabStop_(tabStopDistance(widths.spaceWidth())) {}

LineWrapper::LineWrapper(const StandardFontWidths& widths, std::int64_t areaWidth, WrapMode mode,
                         bool formFeedEndsRow)
    : ownMeasure_(std::make_unique<StandardRowMeasure>(widths, areaWidth)),
      measure_(*ownMeasure_),
      mode_(mode),
      rule_(ruleOf(mode)),
      formFeedEndsRow_(formFeedEndsRow) {}

LineWrapper::LineWrapper(RowMeasure& measure, WrapMode mode, bool formFeedEndsRow)
    : measure_(measure), mode_(mode), rule_(ruleOf(mode)), formFeedEndsRow_(formFeedEndsRow) {}

LineWrapper::~LineWrapper() = default;

LineBreaker& LineWrapper::breaker() {
    if (!breaker_) breaker_ = std::make_unique<LineBreaker>();
    return *breaker_;
}

void LineWrapper::beginLine(RowSink& sink) {
    sink_ = &sink;
    windowReusable_ = false;
    held_.clear();
    at_ = 0;
    segmentRows_ = false;
    lineWrapped_ = false;
    linePastEdge_ = false;
}

void LineWrapper::add(std::string_view bytes) {
    windowReusable_ = false;  // held_ may move
    while (!bytes.empty()) {
        const std::size_t feed = formFeedEndsRow_ ? bytes.find('\f') : std::string_view::npos;
        held_.append(bytes.substr(0, feed));
        if (feed == std::string_view::npos) {
            emitRows(false);
            return;
        }
        endSegment();
        sink_->formFeed();
        bytes.remove_prefix(feed + 1);
    }
}

void LineWrapper::endLine() {
    endSegment();
    if (lineWrapped_) ++wrappedLines_;
    if (linePastEdge_) ++linesPastEdge_;
}

void LineWrapper::endSegment() {
    emitRows(true);
    if (!segmentRows_) {  // an empty segment is a row of its own
        sink_->row({}, false);
    }
    held_.clear();
    at_ = 0;
    segmentRows_ = false;
    windowReusable_ = false;
}

// Hands on every row that can be told from the text held: all of it when the
// segment ends here.
void LineWrapper::emitRows(bool segmentEnds) {
    while (at_ < held_.size()) {
        const std::string_view text = std::string_view(held_).substr(at_);
        // Rows are found once the segment ends, or once enough text is held
        // that memory calls for it: a line is measured about once.
        if (!segmentEnds && text.size() < kLongestRow) break;
        std::size_t end = text.size();
        if (mode_ == WrapMode::None) {
            if (!segmentEnds && text.size() < kLongestRow) break;
            if (!segmentEnds || text.size() > kLongestRow)
                end = clusterCut(text, std::min(text.size(), kLongestRow), segmentEnds);
            bool pastEdge = false;
            if (!linePastEdge_) {
                measure_.startRow(segmentRows_);
                measure_.fittingEnd(text.substr(0, end), pastEdge);
            }
            linePastEdge_ = linePastEdge_ || pastEdge;
        } else {
            bool pastEdge = false;
            measure_.startRow(segmentRows_);
            const std::size_t fitEnd = measure_.fittingEnd(text, pastEdge);
            if (!pastEdge) {
                if (!segmentEnds && text.size() < kLongestRow) break;
                if (!segmentEnds) end = clusterCut(text, text.size() - kLookAhead, false);
            } else {
                if (!segmentEnds && text.size() < std::min(fitEnd + kLookAhead, kLongestRow)) break;
                end = fittingRowEnd(text, fitEnd, segmentEnds);
                // Only a word too long for the line ends a row past the
                // edge: spaces may hang there.
                if (end > fitEnd && text.substr(fitEnd, end - fitEnd).find_first_not_of(' ') !=
                                        std::string_view::npos)
                    linePastEdge_ = true;
            }
        }
        if (end == 0) break;  // wait for more text
        const bool continuation = segmentRows_;
        if (continuation) lineWrapped_ = true;
        sink_->row(text.substr(0, end), continuation);
        segmentRows_ = true;
        at_ += end;
    }
    if (at_ > kLongestRow || at_ == held_.size()) {
        windowReusable_ = false;
        held_.erase(0, at_);
        at_ = 0;
    }
}

// The end of the longest start of text that fits in the text area, with
// pastEdge set when the text does not fit whole.
std::size_t StandardRowMeasure::fittingEnd(std::string_view text, bool& pastEdge) {
    std::int64_t x = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        // Most text: printable ASCII, as far as it fits.
        at += asciiAdvances_.knownStart(text.substr(at), areaWidth_, x);
        if (at == text.size()) break;
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x80) {  // DEL, or a character that does not fit
            const std::int64_t next = x + widths_.width(byte);
            if (next > areaWidth_) {
                pastEdge = true;
                return at;
            }
            x = next;
            ++at;
            continue;
        }
        std::size_t length;
        const char32_t c = decodeAt(text, at, length);
        std::int64_t next;
        if (c == U'\t') {
            next = nextTabStop(x, tabStop_);
        } else if (c >= 0x80 && (length == 1 || isBeyondMacRoman(c))) {
            otherText_ = true;
            next = x;
        } else {
            const char code = c < 0x80 ? static_cast<char>(c) : macRomanCode(c);
            next = x + widths_.width(static_cast<unsigned char>(code));
        }
        if (next > areaWidth_) {
            pastEdge = true;
            return at;
        }
        x = next;
        at += length;
    }
    pastEdge = false;
    return at;
}

// The row's end for a fitting end the measure gave, moved back to an
// earlier break while the row drawn on its own would not fit: each try
// ends the fitting text a cluster sooner, and a row keeps at least one
// cluster.
std::size_t LineWrapper::fittingRowEnd(std::string_view text, std::size_t fitEnd,
                                       bool segmentEnds) {
    std::size_t end = rowEnd(text, fitEnd, segmentEnds);
    for (int tries = 0; tries < kFittingTries; ++tries) {
        const auto hanging = static_cast<std::size_t>(breaker().hangingStart(end + windowOffset_));
        const std::size_t drawn = std::min(end, std::max(hanging, windowOffset_) - windowOffset_);
        if (drawn == 0 || measure_.fits(text.substr(0, end), drawn)) break;
        const std::size_t sooner = std::min(fitEnd, drawn);
        if (sooner == 0) break;
        const std::size_t shorter = clusterCut(text, sooner - 1, segmentEnds);
        if (shorter == 0 || shorter >= sooner) break;
        fitEnd = shorter;
        const std::size_t next = rowEnd(text, fitEnd, segmentEnds);
        if (next >= end) break;  // no earlier break: the word runs on
        end = next;
    }
    return end;
}

std::size_t LineWrapper::rowEnd(std::string_view text, std::size_t fitEnd, bool segmentEnds) {
    LineBreaker& b = breaker();
    // The window of the row before still holds the rest of the segment when
    // that row ended at a break: the piece from there is found in it.
    if (segmentEnds && windowReusable_ && text.data() >= windowBase_ &&
        text.data() + text.size() == windowBase_ + windowSize_) {
        const auto offset = static_cast<std::size_t>(text.data() - windowBase_);
        const PieceEnd piece = findPieceEnd(b, offset, offset + fitEnd, rule_);
        if (piece.kind == PieceEnd::Kind::breakPoint && piece.end - offset <= kLongestRow) {
            windowOffset_ = offset;
            return static_cast<std::size_t>(piece.end) - offset;
        }
    }
    windowOffset_ = 0;
    windowReusable_ = false;
    // The break rules are asked about a short window first, since the
    // window's length is what a row costs; a longer one only when needed.
    PieceEnd piece;
    for (std::size_t reach : {kShortReach, kLookAhead}) {
        const std::size_t window = std::min(text.size(), fitEnd + reach);
        b.setWindow(
            BreakWindow{text.substr(0, window), 0, true, segmentEnds && window == text.size()});
        piece = findPieceEnd(b, 0, std::min<std::uint64_t>(fitEnd, b.safeEnd()), rule_);
        if (piece.kind != PieceEnd::Kind::needsLongerWindow || window == text.size()) {
            windowReusable_ =
                segmentEnds && window == text.size() && piece.kind == PieceEnd::Kind::breakPoint;
            windowBase_ = text.data();
            windowSize_ = window;
            break;
        }
    }
    if (piece.kind == PieceEnd::Kind::needsLongerWindow)
        return clusterCut(text, std::min(text.size(), kLongestRow), segmentEnds);
    // A word or a run of spaces past the window ends the row at the
    // window's safe end (wordRunsOn, spaceRunsOn): rows stay bounded.
    if (piece.end > kLongestRow) return clusterCut(text, kLongestRow, segmentEnds);
    return static_cast<std::size_t>(piece.end);
}

// The last cluster boundary at most atMost bytes in (at least one cluster).
std::size_t LineWrapper::clusterCut(std::string_view text, std::size_t atMost, bool segmentEnds) {
    windowReusable_ = false;
    windowOffset_ = 0;
    const std::size_t window = std::min(text.size(), atMost + kShortReach);
    LineBreaker& b = breaker();
    b.setWindow(BreakWindow{text.substr(0, window), 0, true, segmentEnds && window == text.size()});
    if (auto cut = b.lastCluster(0, std::min<std::uint64_t>(atMost, b.safeEnd()))) return *cut;
    if (auto cut = b.nextCluster(0)) return *cut;
    return std::min(text.size(), atMost);
}

}  // namespace leafwright
