#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/fonts/tab_stops.h"
#include "core/pdf/ascii_advances.h"

namespace leafwright {

struct StandardFontWidths;

// One source line as one line of the content stream, shown as strings with
// moves between them, and where its tab stops fall. The line begins as a
// plain line does, its first string shown with "'" (next line, then show);
// what follows the first move or operator goes on the same line as "TJ"
// arrays. A move is a TJ number in thousandths of the font size (negative
// moves right). The characters themselves, tabs included, all stay in the
// strings, so the text comes back whole.
//
// The pen position x and the line's columns of the page-measuring model
// (see ShownLines::widestColumns) are kept here for whoever writes the
// strings: the standard font's characters are added here, embedded fonts'
// codes by EmbeddedFontStrings.
class TabbedStrings {
  public:
    // Literal strings of MacRoman bytes in the standard font, escaped as in
    // plain lines.
    explicit TabbedStrings(const StandardFontWidths& widths);
    // Hex strings of 2-byte codes, in fonts whose space is spaceWidth
    // thousandths of the font size wide.
    static TabbedStrings hex(int spaceWidth) { return TabbedStrings('<', '>', spaceWidth); }

    // Starts a content line.
    void beginLine(std::string& out);
    // Forgets what the line wrote so far (the caller removed it from out).
    void restartLine() noexcept {
        mode_ = Mode::Pending;
        x_ = 0;
        columns_ = 0;
    }
    // Closes the line's strings.
    void endLine(std::string& out);
    // Counts a line of `columns` that is not drawn as if it were (the widest
    // line), leaving the strings as beginLine would.
    void passLine(std::uint64_t columns) noexcept {
        restartLine();
        if (columns > widestColumns_) widestColumns_ = columns;
    }

    // The standard font's characters, one at a time.
    void addStandard(std::string& out, char32_t character);
    // The longest start of bytes that is printable ASCII, as addStandard
    // would write it a character at a time (either source encoding reads
    // such bytes alike); returns its length. Most lines are such text.
    std::size_t addStandardAscii(std::string& out, std::string_view bytes);

    // Opens the first string of the line if none is open yet.
    void openString(std::string& out) {
        if (mode_ != Mode::Pending) return;
        out.push_back(open_);
        mode_ = Mode::First;
    }
    bool stringOpen() const noexcept { return mode_ != Mode::Pending; }
    void move(std::string& out, std::int64_t thousandths);
    // Moves the pen to place (from the line's start), and the text with it.
    void moveTo(std::string& out, std::int64_t place) {
        move(out, x_ - place);
        x_ = place;
    }
    // Ends the strings shown so far, writes operators, and goes on with a
    // new TJ array.
    void interrupt(std::string& out, std::string_view operators);
    void advanceToTabStop(std::string& out);

    // Thousandths of the font size from the line's start.
    std::int64_t x() const noexcept { return x_; }
    void advance(std::int64_t thousandths) noexcept { x_ += thousandths; }
    // Where the pen stands once the rest of the line is drawn without a move.
    void placeAt(std::int64_t place) noexcept { x_ = place; }

    void addColumns(std::uint64_t columns) noexcept { columns_ += columns; }
    void addTabColumns() noexcept { columns_ = nextTabColumn(columns_); }
    // The widest line so far, in columns.
    std::uint64_t widestColumns() const noexcept { return widestColumns_; }

  private:
    TabbedStrings(char open, char close, std::int64_t spaceWidth)
        : open_(open), close_(close), tabStop_(tabStopDistance(spaceWidth)) {}

    enum class Mode { Pending, First, Array };

    char open_, close_;
    std::int64_t tabStop_;  // thousandths of the font size
    const StandardFontWidths* standard_ = nullptr;
    // The standard font's widths of the printable ASCII characters.
    AsciiAdvances asciiAdvances_;
    Mode mode_ = Mode::Pending;
    std::int64_t x_ = 0;
    std::uint64_t columns_ = 0;
    std::uint64_t widestColumns_ = 0;
};

}  // namespace leafwright
