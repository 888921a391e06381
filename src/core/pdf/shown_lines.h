#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/text_encoding.h"

namespace leafwright {

class DocumentFonts;
class LineShaper;
struct StandardFontWidths;

// Writes the lines of a document that plain strings of the standard font
// cannot show: one holding tabs, or one drawn with embedded fonts. Each
// source line stays one line of the content stream. It begins as a plain
// line does, its first string shown with "'" (next line, then show); what
// follows the first move or font change goes on the same line as "TJ"
// arrays, with "Tf" between them. A move is a TJ number in thousandths of
// the font size (negative moves right): the rest of the way to a tab stop,
// or, in a monospaced font, what makes a character take its columns. The
// characters themselves, tabs included, all stay in the strings, so the
// text comes back whole.
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
    // The standard font: literal strings of MacRoman bytes, escaped as in
    // plain lines; tab stops every 8 spaces of the font's own widths.
    explicit ShownLines(const StandardFontWidths& widths);
    // Embedded fonts: hex strings of 2-byte codes; "/F<n> <size> Tf" changes
    // font. A monospaced font gives each character columnWidth columns.
    // shaper: how lines needing shaping are drawn; nullptr draws every line
    // one glyph per character.
    ShownLines(DocumentFonts& fonts, LineShaper* shaper, std::string fontSizeText, bool monospaced);

    static constexpr std::size_t kShapedPiece = 1 << 14;
    // A line is taken back to be shaped whole when a character needing
    // shaping starts within its first so many bytes.
    static constexpr std::uint64_t kTakeBackLimit = 4 * kShapedPiece;
    // Tab stops stand every so many spaces of the font.
    static constexpr int kSpacesPerTabStop = 8;

    // Where right-to-left lines end: the width of the text area in points,
    // from the left margin to the right one. 0, the start, aligns nothing.
    void setTextAreaWidth(double points);

    // Each page's content starts in font /F1.
    void beginPage() { currentFont_ = 0; }
    void beginLine(std::string& out);
    // Whole characters of the line, in the source's encoding.
    void add(std::string& out, std::string_view characters, SourceEncoding encoding);
    void endLine(std::string& out);
    // Whether what the current line wrote so far must stay in out (it may
    // yet be taken back to be shaped whole): out must not be handed on then.
    // Holds for at most the line's first kTakeBackLimit bytes.
    bool holdsLine() const noexcept {
        return fonts_ && shaper_ && !shaping_ && lineSeen_ < kTakeBackLimit;
    }

    // The widest line so far in columns of the page-measuring model: one a
    // character (a string byte in the standard font, escapes included), an
    // East Asian wide character 2 and a combining mark or other character
    // that draws nothing 0 with embedded fonts, and a tab to the next
    // multiple of 8.
    std::uint64_t widestColumns() const noexcept { return widestColumns_; }
    // The widest shaped line so far in points, as drawn (0 without any).
    double widestShapedPoints() const noexcept;
    // Shaped lines read right to left since the last reset.
    std::uint64_t rightToLeftLines() const noexcept { return rightToLeftLines_; }
    // Characters no face could print (shown as "?") since the last reset.
    std::uint64_t notPrintable() const noexcept { return notPrintable_; }
    void resetCounts() noexcept {
        widestColumns_ = notPrintable_ = widestShaped_ = rightToLeftLines_ = 0;
    }

    // While planning, lines are read only for the fonts to learn every
    // character in order of first use: what is written then is incomplete.
    void setPlanning(bool planning) noexcept { planning_ = planning; }

  private:
    void addStandard(std::string& out, char32_t character);
    void addEmbedded(std::string& out, char32_t character);
    struct CodeRun;
    bool addKnown(std::string& out, char32_t character, CodeRun& run);
    void startShaping(std::string& out, std::string_view characters, std::size_t from,
                      SourceEncoding encoding);
    void addToPiece(std::string& out, char32_t character);
    void flushPiece(std::string& out, bool lineEnds);
    void writeShaped(std::string& out, bool lineEnds);
    bool shapes(char32_t character);
    void openString(std::string& out);
    void move(std::string& out, std::int64_t thousandths);
    // Ends the strings shown so far, writes operators, and goes on with a
    // new TJ array.
    void interrupt(std::string& out, std::string_view operators);
    void switchFont(std::string& out, std::size_t font);
    void setRise(std::string& out, int thousandths);
    void advanceToTabStop(std::string& out);
    int columnsOf(char32_t character);

    enum class Mode { Pending, First, Array };

    const StandardFontWidths* standard_ = nullptr;
    DocumentFonts* fonts_ = nullptr;
    LineShaper* shaper_ = nullptr;
    std::string fontSizeText_;
    double fontSize_ = 0;
    std::int64_t rightEdge_ = 0;  // thousandths of the font size
    bool monospaced_ = false;
    bool planning_ = false;
    char open_, close_;
    std::int64_t tabStop_;  // thousandths of the font size
    std::int64_t columnAdvance_ = 0;

    Mode mode_ = Mode::Pending;
    std::size_t currentFont_ = 0;
    std::int64_t x_ = 0;  // from the line's start, thousandths of the font size
    std::uint64_t columns_ = 0;
    std::uint64_t widestColumns_ = 0;
    std::uint64_t notPrintable_ = 0;
    // The current line as it began, to take it back when it turns out to
    // need shaping: where it starts in out, in which font, and its bytes.
    std::size_t lineStart_ = 0;
    std::size_t lineStartFont_ = 0;
    std::uint64_t lineStartNotPrintable_ = 0;
    std::uint64_t lineSeen_ = 0;  // bytes of the line so far
    std::string lineBytes_;       // the first kTakeBackLimit of them
    // Once a line is being shaped: its characters not yet written, and
    // whether one needs shaping.
    bool shaping_ = false;
    std::u32string piece_;
    bool pieceShapes_ = false;
    bool pieceWritten_ = false;  // of the current line
    bool lineShaped_ = false;
    int rise_ = 0;                   // thousandths of the font size
    std::int64_t widestShaped_ = 0;  // thousandths of the font size
    std::uint64_t rightToLeftLines_ = 0;
    // Whether each character of the Basic Multilingual Plane met needs
    // shaping: 0 not known yet, 1 no, 2 yes.
    std::vector<std::uint8_t> shapes_;
    // Columns of the characters of the Basic Multilingual Plane met so far,
    // -1 where not yet looked up.
    std::vector<signed char> knownColumns_;
    // How each visible character of the Basic Multilingual Plane met so far
    // is shown, so that most characters cost one look-up.
    struct Known {
        std::uint16_t font = kUnknown;
        std::uint16_t code = 0;
        std::int32_t advance = 0;  // thousandths of the font size
        std::int32_t move = 0;     // the TJ number after it
        std::int32_t columns = 0;
    };
    static constexpr std::uint16_t kUnknown = 0xFFFF;
    std::vector<Known> known_;
};

}  // namespace leafwright
