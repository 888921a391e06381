#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/pdf/tabbed_strings.h"
#include "core/text/text_encoding.h"

namespace leafwright {

class DocumentFonts;
struct StandardFontWidths;

// Writes the lines of a document that plain strings of the standard font
// cannot show: one holding tabs (TabbedStrings), or one drawn with embedded
// fonts (EmbeddedFontStrings). Each source line stays one line of the
// content stream.
//
// With embedded fonts, a line that holds a character needing shaping
// (see shaping_need.h) is shaped whole: its glyphs are written in logical
// order, the order the text was typed in, each moved to its visual place by
// TJ numbers and raised or lowered by "Ts". A right-to-left line ends at
// the right margin when it fits. Lines are written as they come and taken
// back when a character needing shaping turns up; a line being shaped is
// held in pieces of at most kShapedPiece characters, so that a line without
// end is never held whole: such a line is shaped a piece at a time, from
// where shaping started. Every decision depends on the line's characters
// alone, never on how it reaches add(), so that every pass over a document
// draws it alike (the fonts are written from the first).
class ShownLines {
  public:
    // The standard font, with tab stops.
    explicit ShownLines(const StandardFontWidths& widths);
    // Embedded fonts at fontSizeText points. shaper: how lines needing
    // shaping are drawn; nullptr draws every line one glyph per character.
    ShownLines(DocumentFonts& fonts, LineShaper* shaper, std::string fontSizeText, bool monospaced);

    static constexpr std::size_t kShapedPiece = 1 << 14;
    // A line is taken back to be shaped whole when a character needing
    // shaping starts within its first so many bytes.
    static constexpr std::uint64_t kTakeBackLimit = 4 * kShapedPiece;

    // Where right-to-left lines end: the width of the text area in points,
    // from the left margin to the right one. 0, the start, aligns nothing.
    void setTextAreaWidth(double points);

    // Whether lines are drawn with embedded fonts rather than the standard one.
    bool embedded() const noexcept { return embedded_.has_value(); }
    // The embedded fonts (nullptr without) and the shaper, for other text
    // of the pages drawn as the lines are.
    DocumentFonts* fonts() const noexcept { return embedded_ ? &embedded_->fonts() : nullptr; }
    // The embedded fonts' strings (nullptr for the standard font) and the
    // shaper, for measuring text as these lines draw it.
    EmbeddedFontStrings* embeddedStrings() noexcept { return embedded_ ? &*embedded_ : nullptr; }
    LineShaper* shaper() const noexcept { return shaper_; }

    void beginPage() {
        if (embedded_) embedded_->beginPage();
    }
    void beginLine(std::string& out);
    // The same for a row of a line cut into rows. A continued row goes on
    // with the source line of the row before: it is shaped in that line's
    // paragraph direction (the one of its first shaped row), so every row
    // of a right-to-left line reads right to left and ends at the right
    // margin. The white space at a right-to-left row's end hangs into the
    // left margin.
    void beginRow(std::string& out, bool continued);
    // While planning without drawing in full, takes a row that would teach
    // the fonts nothing (EmbeddedFontStrings::passKnownAsciiLine) without
    // drawing it, as beginRow, add and endLine would; false, changing
    // nothing, for any other row, or while lines past the edge are counted.
    bool passKnownRow(std::string_view characters, bool continued) noexcept;
    // Whether the row just drawn belongs to a line read right to left.
    bool rowReadsRightToLeft() const noexcept { return paragraph_ == TextDirection::rightToLeft; }
    // Whole characters of the line, in the source's encoding.
    void add(std::string& out, std::string_view characters, SourceEncoding encoding);
    void endLine(std::string& out);
    // Whether what the current line wrote so far must stay in out (it may
    // yet be taken back to be shaped whole): out must not be handed on then.
    // Holds for at most the line's first kTakeBackLimit bytes.
    bool holdsLine() const noexcept { return shaper_ && !shaping_ && lineSeen_ < kTakeBackLimit; }

    // The widest line so far in columns of the page-measuring model: one a
    // character (a string byte in the standard font, escapes included), an
    // East Asian wide character 2 and a combining mark or other character
    // that draws nothing 0 with embedded fonts, and a tab to the next tab
    // column (tab_stops.h).
    std::uint64_t widestColumns() const noexcept { return strings().widestColumns(); }
    // The widest shaped line so far in points, as drawn (0 without any).
    double widestShapedPoints() const noexcept;
    // Shaped lines read right to left so far.
    std::uint64_t rightToLeftLines() const noexcept { return rightToLeftLines_; }
    // Pieces of lines shaped so far: a page that shaped none is cheap to
    // draw again.
    std::uint64_t shapedPieces() const noexcept { return shapedPieces_; }
    // Characters no face could print (shown as "?") so far.
    std::uint64_t notPrintable() const noexcept {
        return embedded_ ? embedded_->notPrintable() : 0;
    }

    // While planning, lines are read for the fonts to learn every character
    // in order of first use: what is written then is incomplete, unless
    // drawnInFull (it is then what writing would write, to be kept).
    void setPlanning(bool planning, bool drawnInFull = false) noexcept {
        planning_ = planning;
        if (embedded_) embedded_->setPlanning(planning && !drawnInFull);
    }

    // From now on, counts the lines that embedded fonts draw wider than
    // `room` (thousandths of the font size), while planning: that reading
    // sees each line once.
    void countLinesPastEdge(std::int64_t room) noexcept { pastEdgeRoom_ = room; }
    std::uint64_t linesPastEdge() const noexcept { return linesPastEdge_; }
    double fontSize() const noexcept { return embedded_ ? embedded_->fontSize() : 0; }

  private:
    const TabbedStrings& strings() const noexcept {
        return embedded_ ? embedded_->strings() : *standard_;
    }
    // Forgets what the line being drawn shaped, wrote and may take back.
    void restartPiece() noexcept;
    void addEmbedded(std::string& out, std::string_view characters, SourceEncoding encoding);
    void startShaping(std::string& out, std::string_view characters, std::size_t from,
                      SourceEncoding encoding);
    void addToPiece(std::string& out, char32_t character);
    void flushPiece(std::string& out, bool lineEnds);
    void writeShaped(std::string& out, bool lineEnds);
    bool shapes(char32_t character);

    std::optional<TabbedStrings> standard_;
    std::optional<EmbeddedFontStrings> embedded_;
    LineShaper* shaper_ = nullptr;
    std::int64_t rightEdge_ = 0;  // thousandths of the font size

    // The current line as it began, to take it back when it turns out to
    // need shaping: where it starts in out, its fonts' state, and its bytes.
    std::size_t lineStart_ = 0;
    EmbeddedFontStrings::Mark lineStartMark_{};
    std::uint64_t lineSeen_ = 0;  // bytes of the line so far
    std::string lineBytes_;       // the first kTakeBackLimit of them
    // Once a line is being shaped: its characters not yet written, and
    // whether one needs shaping.
    bool shaping_ = false;
    std::u32string piece_;
    bool pieceShapes_ = false;
    bool pieceWritten_ = false;      // of the current line
    std::int64_t widestShaped_ = 0;  // thousandths of the font size
    std::uint64_t rightToLeftLines_ = 0;
    std::uint64_t shapedPieces_ = 0;
    bool planning_ = false;
    std::int64_t pastEdgeRoom_ = -1;  // not counted
    std::uint64_t linesPastEdge_ = 0;
    // The paragraph direction of the source line being drawn in rows, once
    // a row of it was shaped.
    std::optional<TextDirection> paragraph_;
    bool continuedRow_ = false;
    bool row_ = false;
    bool forceShaping_ = false;
    // Whether each character of the Basic Multilingual Plane met needs
    // shaping: 0 not known yet, 1 no, 2 yes.
    std::vector<std::uint8_t> shapes_;
};

}  // namespace leafwright
