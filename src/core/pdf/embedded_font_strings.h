#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/hex_text.h"
#include "core/fonts/neutral_character.h"
#include "core/pdf/ascii_advances.h"
#include "core/pdf/shown_glyphs.h"
#include "core/pdf/tabbed_strings.h"

namespace leafwright {

class DocumentFonts;
struct ShapedLine;
struct ShownCharacter;

// The strings of lines drawn with the embedded fonts of a document: hex
// strings of the fonts' 2-byte codes (1-byte in a font of colour glyphs), "/F<n> <size> Tf" where
// the font changes and "Ts" where a shaped glyph is raised or lowered. In a monospaced font each
// character takes its columns (a wide character two, a mark none) through the width its code is
// given.
class EmbeddedFontStrings {
  public:
    EmbeddedFontStrings(DocumentFonts& fonts, std::string fontSizeText, bool monospaced);

    TabbedStrings& strings() noexcept { return strings_; }
    const TabbedStrings& strings() const noexcept { return strings_; }
    double fontSize() const noexcept { return fontSize_; }
    DocumentFonts& fonts() const noexcept { return *fonts_; }
    // Whether characters take their columns' width (see add).
    bool monospaced() const noexcept { return monospaced_; }
    std::int64_t columnAdvance() const noexcept { return columnAdvance_; }

    // Each page's content starts in font /F1.
    void beginPage() noexcept { currentFont_ = runFont_ = 0; }
    // Each line (each row of a line cut into rows) is a run of its own: its
    // first spaces, digits and punctuation take the primary face.
    void beginLine(std::string& out) {
        strings_.beginLine(out);
        runFont_ = 0;
    }
    void endLine(std::string& out);

    // What a line changed besides its strings, to take the line back.
    struct Mark {
        std::size_t font;
        std::size_t runFont;
        std::uint64_t notPrintable;
    };
    Mark mark() const noexcept { return {currentFont_, runFont_, notPrintable_}; }
    void returnTo(const Mark& mark) noexcept {
        strings_.restartLine();
        currentFont_ = mark.font;
        runFont_ = mark.runFont;
        notPrintable_ = mark.notPrintable;
    }

    // Codes of characters already known go into a run of their own, handed
    // to out in one piece.
    struct CodeRun {
        char bytes[1024];
        std::size_t used = 0;
        void flush(std::string& out) {
            out.append(bytes, used);
            used = 0;
        }
    };
    // Writes a character shown before in the current font with no move
    // after it into the run; false, writing nothing, for any other.
    bool addKnown(std::string& out, char32_t character, CodeRun& run);
    // Writes the longest start of text that is plain ASCII shown before in
    // the first font at a run's start with no move after it, as addKnown
    // would a character at a time, when the run is at its start (its
    // characters keep it there); returns its length in bytes.
    std::size_t addKnownAscii(std::string& out, std::string_view text, CodeRun& run);
    // Writes the longest start of UTF-8 text whose characters (of one to
    // three bytes) addKnown would write one at a time while the string is
    // open and the run's font is the current one, without a font change,
    // as it would; returns its length in bytes. Most text of any alphabet
    // goes here once its characters were met.
    std::size_t addKnownUtf8(std::string& out, std::string_view text, CodeRun& run);
    // Writes any character ("?" for one no face has).
    void add(std::string& out, char32_t character);
    void addAll(std::string& out, std::u32string_view characters);

    // Draws a shaped line's glyphs in logical order, each moved to its
    // place from start (thousandths of the font size from the line's start
    // edge). Unless the line ends with them, the pen then stands at the
    // shaped text's end with no rise.
    void drawShaped(std::string& out, const ShapedLine& shaped, std::int64_t start, bool lineEnds);
    void countNotPrintable(std::size_t count) noexcept { notPrintable_ += count; }

    // Columns of a character in the page-measuring model.
    int columnsOf(char32_t character);

    // Characters no face could print (shown as "?").
    std::uint64_t notPrintable() const noexcept { return notPrintable_; }
    // While planning, known characters are counted but not written.
    void setPlanning(bool planning) noexcept { planning_ = planning; }
    // While planning, takes a line (or row) that teaches nothing without
    // drawing it: text that addKnownAscii would take whole at the line's
    // start. The fonts and the strings are left as drawing it between
    // beginLine and endLine would leave them. False, changing nothing, for
    // any other line.
    bool passKnownAsciiLine(std::string_view text) noexcept;

  private:
    // A font of colour glyphs (a Type 3 font) has 1-byte codes.
    bool singleByte(std::size_t font) const;
    void appendCode(std::string& out, const ShownCharacter& shown) const;
    void switchFont(std::string& out, std::size_t font);
    void setRise(std::string& out, int thousandths);

    TabbedStrings strings_;
    DocumentFonts* fonts_;
    std::string fontSizeText_;
    // The operators that select each font, made once: "/F2 10 Tf".
    std::vector<std::string> fontSelections_;
    double fontSize_;
    bool monospaced_;
    std::int64_t columnAdvance_;
    bool planning_ = false;
    std::size_t currentFont_ = 0;
    // The font of the line's last visible character (DocumentFonts::show).
    std::size_t runFont_ = 0;
    std::uint64_t notPrintable_ = 0;
    int rise_ = 0;  // thousandths of the font size
    // Columns of the characters of the Basic Multilingual Plane met so far,
    // -1 where not yet looked up.
    std::vector<signed char> knownColumns_;
    // How each visible character of the Basic Multilingual Plane met so far
    // is shown, so that most characters cost one look-up.
    // Its code is kept as the hex digits written, sixteen bytes in all.
    struct Known {
        std::uint16_t font = kUnknown;
        char hex[4] = {};
        std::int16_t columns = 0;
        std::int32_t advance = 0;  // thousandths of the font size
        std::int32_t move = 0;     // the TJ number after it
    };
    static constexpr std::uint16_t kUnknown = 0xFFFF;
    // known_ holds each character as shown at a run's start (and anywhere
    // for a character that is not neutral); knownInRun_ the neutral ASCII
    // characters after a character of each font.
    std::vector<Known> known_;
    std::vector<std::unique_ptr<Known[]>> knownInRun_;
    Known& knownEntry(char32_t character, std::size_t runFont);
    // The printable ASCII characters of known_ shown in the first font in
    // one column with no move, which a run at its start draws many at a
    // time: their advances, and their codes' hex digits.
    AsciiAdvances asciiAdvances_;
    char asciiCodes_[0x80][4] = {};
    ShownGlyphs shownGlyphs_;
};

inline bool EmbeddedFontStrings::addKnown(std::string& out, char32_t character, CodeRun& run) {
    if (character >= known_.size()) return false;
    const Known* entry = &known_[character];
    if (takesRunFace(character, runFont_)) {
        if (runFont_ >= knownInRun_.size() || !knownInRun_[runFont_]) return false;
        entry = &knownInRun_[runFont_][character];
    }
    const Known& known = *entry;
    if (known.font == kUnknown || known.move != 0) return false;
    if (known.font != currentFont_) {
        // As add() does: the strings so far end and the font changes, which
        // text set in words of two faces does at every space.
        run.flush(out);
        switchFont(out, known.font);
    } else if (!strings_.stringOpen()) {
        return false;
    }
    runFont_ = known.font;
    strings_.advance(known.advance);
    strings_.addColumns(static_cast<std::uint64_t>(known.columns));
    if (planning_) return true;
    std::memcpy(run.bytes + run.used, known.hex, 4);
    run.used += 4;
    if (run.used == sizeof run.bytes) run.flush(out);
    return true;
}

}  // namespace leafwright
