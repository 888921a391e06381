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
class ShownLines {
  public:
    // The standard font: literal strings of MacRoman bytes, escaped as in
    // plain lines; tab stops every 8 spaces of the font's own widths.
    explicit ShownLines(const StandardFontWidths& widths);
    // Embedded fonts: hex strings of 2-byte codes; "/F<n> <size> Tf" changes
    // font. A monospaced font gives each character columnWidth columns.
    ShownLines(DocumentFonts& fonts, std::string fontSizeText, bool monospaced);

    // Each page's content starts in font /F1.
    void beginPage() { currentFont_ = 0; }
    void beginLine(std::string& out);
    // Whole characters of the line, in the source's encoding.
    void add(std::string& out, std::string_view characters, SourceEncoding encoding);
    void endLine(std::string& out);

    // The widest line so far in columns of the page-measuring model: one a
    // character (a string byte in the standard font, escapes included), an
    // East Asian wide character 2 and a combining mark or other character
    // that draws nothing 0 with embedded fonts, and a tab to the next
    // multiple of 8.
    std::uint64_t widestColumns() const noexcept { return widestColumns_; }
    // Characters no face could print (shown as "?") since the last reset.
    std::uint64_t notPrintable() const noexcept { return notPrintable_; }
    void resetCounts() noexcept { widestColumns_ = notPrintable_ = 0; }

    // While planning, lines are read only for the fonts to learn every
    // character in order of first use: what is written then is incomplete.
    void setPlanning(bool planning) noexcept { planning_ = planning; }

  private:
    void addStandard(std::string& out, char32_t character);
    void addEmbedded(std::string& out, char32_t character);
    void openString(std::string& out);
    void move(std::string& out, std::int64_t thousandths);
    void switchFont(std::string& out, std::size_t font);
    void advanceToTabStop(std::string& out);
    int columnsOf(char32_t character);

    enum class Mode { Pending, First, Array };

    const StandardFontWidths* standard_ = nullptr;
    DocumentFonts* fonts_ = nullptr;
    std::string fontSizeText_;
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
