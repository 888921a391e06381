#include "core/pdf/shown_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/fonts/column_width.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/hex_text.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/shaping_need.h"
#include "core/fonts/standard_font_widths.h"
#include "core/pdf/page_content.h"
#include "core/text/mac_roman_encode.h"

namespace leafwright {

namespace {

constexpr std::uint64_t kColumnsPerTabStop = 8;
std::uint64_t nextTabColumn(std::uint64_t columns) {
    return (columns / kColumnsPerTabStop + 1) * kColumnsPerTabStop;
}

double parsedSize(const std::string& text) {
    double size = 0;
    std::from_chars(text.data(), text.data() + text.size(), size);
    return size > 0 ? size : 1;
}

}  // namespace

ShownLines::ShownLines(const StandardFontWidths& widths)
    : standard_(&widths),
      open_(ContentFrame::kStringOpen),
      close_(ContentFrame::kStringClose),
      tabStop_(std::int64_t{kSpacesPerTabStop} * widths.spaceWidth()) {}

ShownLines::ShownLines(DocumentFonts& fonts, LineShaper* shaper, std::string fontSizeText,
                       bool monospaced)
    : fonts_(&fonts),
      shaper_(shaper),
      fontSizeText_(std::move(fontSizeText)),
      fontSize_(parsedSize(fontSizeText_)),
      monospaced_(monospaced),
      open_('<'),
      close_('>'),
      tabStop_(std::int64_t{kSpacesPerTabStop} * fonts.spaceWidth()),
      columnAdvance_(fonts.spaceWidth()) {}

void ShownLines::setTextAreaWidth(double points) {
    rightEdge_ = points > 0 && fontSize_ > 0 ? std::llround(points * 1000 / fontSize_) : 0;
}

double ShownLines::widestShapedPoints() const noexcept {
    return static_cast<double>(widestShaped_) * fontSize_ / 1000;
}

void ShownLines::beginLine(std::string& out) {
    out.append(ContentFrame::kLineBreak);
    mode_ = Mode::Pending;
    x_ = 0;
    columns_ = 0;
    piece_.clear();
    pieceShapes_ = false;
    pieceWritten_ = false;
    shaping_ = false;
    lineStart_ = out.size();
    lineStartFont_ = currentFont_;
    lineStartNotPrintable_ = notPrintable_;
    lineSeen_ = 0;
    lineBytes_.clear();
}

void ShownLines::openString(std::string& out) {
    if (mode_ != Mode::Pending) return;
    out.push_back(open_);
    mode_ = Mode::First;
}

void ShownLines::move(std::string& out, std::int64_t thousandths) {
    if (thousandths == 0) return;
    openString(out);
    out.push_back(close_);
    out.append(mode_ == Mode::First ? "' [" : " ");
    out.append(std::to_string(thousandths));
    out.push_back(' ');
    out.push_back(open_);
    mode_ = Mode::Array;
}

void ShownLines::interrupt(std::string& out, std::string_view operators) {
    if (mode_ == Mode::Pending) out.append("T*");
    if (mode_ == Mode::First) out.append(">'");
    if (mode_ == Mode::Array) out.append(">] TJ");
    out.push_back(' ');
    out.append(operators);
    out.append(" [<");
    mode_ = Mode::Array;
}

void ShownLines::switchFont(std::string& out, std::size_t font) {
    interrupt(out, "/F" + std::to_string(font + 1) + " " + fontSizeText_ + " Tf");
    currentFont_ = font;
}

void ShownLines::setRise(std::string& out, int thousandths) {
    interrupt(out, decimalNumber(thousandths * fontSize_ / 1000) + " Ts");
    rise_ = thousandths;
}

void ShownLines::advanceToTabStop(std::string& out) {
    const std::int64_t stop = tabStop_ > 0 ? (x_ / tabStop_ + 1) * tabStop_ : x_;
    move(out, x_ - stop);
    x_ = stop;
    columns_ = nextTabColumn(columns_);
}

namespace {

// The character at i, i moved past it. ASCII and the two-byte characters of
// the alphabets are decoded here; the rest, and anything malformed, by the
// full decoder.
inline char32_t nextCharacter(std::string_view characters, std::size_t& i,
                              SourceEncoding encoding) {
    const auto* p = reinterpret_cast<const unsigned char*>(characters.data());
    if (encoding == SourceEncoding::Utf8) {
        if (p[i] < 0x80) return p[i++];
        if (p[i] >= 0xC2 && p[i] <= 0xDF && i + 1 < characters.size() &&
            (p[i + 1] & 0xC0) == 0x80) {
            const char32_t character = (char32_t{p[i] & 0x1Fu} << 6) | (p[i + 1] & 0x3Fu);
            i += 2;
            return character;
        }
    }
    char32_t character;
    i += decodeCharacter(characters, i, encoding, character);
    return character;
}

}  // namespace

// Codes of characters already known go into a run of their own, handed to
// out in one piece.
struct ShownLines::CodeRun {
    char bytes[1024];
    std::size_t used = 0;
    void flush(std::string& out) {
        out.append(bytes, used);
        used = 0;
    }
};

inline bool ShownLines::addKnown(std::string& out, char32_t character, CodeRun& run) {
    if (character >= known_.size()) return false;
    const Known& known = known_[character];
    if (known.font != currentFont_ || known.move != 0 || mode_ == Mode::Pending) return false;
    x_ += known.advance;
    columns_ += static_cast<std::uint64_t>(known.columns);
    if (planning_) return true;
    putHexCode(run.bytes + run.used, known.code);
    run.used += 4;
    if (run.used == sizeof run.bytes) run.flush(out);
    return true;
}

void ShownLines::add(std::string& out, std::string_view characters, SourceEncoding encoding) {
    const std::size_t n = characters.size();
    if (!fonts_) {
        for (std::size_t i = 0; i < n;) addStandard(out, nextCharacter(characters, i, encoding));
        return;
    }
    if (shaping_) {
        for (std::size_t i = 0; i < n;) addToPiece(out, nextCharacter(characters, i, encoding));
        return;
    }
    // Most lines need no shaping: they are written as they come, and their
    // first bytes kept so that the line can be taken back and shaped whole
    // when a character needing it turns up. A character with a known code
    // never needs it: codes are only given to characters written one by one.
    CodeRun run;
    for (std::size_t i = 0; i < n;) {
        const std::size_t start = i;
        const char32_t character = nextCharacter(characters, i, encoding);
        if (addKnown(out, character, run)) continue;
        run.flush(out);
        if (character >= 0x300 && shaper_ && shapes(character)) {
            startShaping(out, characters, start, encoding);
            return;
        }
        addEmbedded(out, character);
    }
    run.flush(out);
    if (lineSeen_ < kTakeBackLimit)
        lineBytes_.append(
            characters.substr(0, std::min<std::uint64_t>(n, kTakeBackLimit - lineSeen_)));
    lineSeen_ += n;
}

void ShownLines::startShaping(std::string& out, std::string_view characters, std::size_t from,
                              SourceEncoding encoding) {
    shaping_ = true;
    piece_.clear();
    std::string_view rest = characters.substr(from);
    if (lineSeen_ + from < kTakeBackLimit) {
        // Take back what the line wrote and shape it from its start.
        lineBytes_.append(characters);
        rest = lineBytes_;
        out.resize(lineStart_);
        mode_ = Mode::Pending;
        x_ = 0;
        columns_ = 0;
        currentFont_ = lineStartFont_;
        notPrintable_ = lineStartNotPrintable_;
    } else {
        // A line this long is shaped from where shaping starts.
        pieceWritten_ = true;
    }
    lineSeen_ += characters.size();
    for (std::size_t i = 0; i < rest.size();) addToPiece(out, nextCharacter(rest, i, encoding));
}

void ShownLines::addToPiece(std::string& out, char32_t character) {
    piece_.push_back(character);
    if (character >= 0x300 && !pieceShapes_ && shapes(character)) pieceShapes_ = true;
    if (piece_.size() >= kShapedPiece) flushPiece(out, false);
}

bool ShownLines::shapes(char32_t character) {
    if (character >= 0x10000) return needsShaping(character);
    if (shapes_.empty()) shapes_.assign(0x10000, 0);
    std::uint8_t& known = shapes_[character];
    if (known == 0) known = needsShaping(character) ? 2 : 1;
    return known == 2;
}

void ShownLines::flushPiece(std::string& out, bool lineEnds) {
    if (pieceShapes_) {
        writeShaped(out, lineEnds);
    } else {
        CodeRun run;
        for (const char32_t character : piece_) {
            if (addKnown(out, character, run)) continue;
            run.flush(out);
            addEmbedded(out, character);
        }
        run.flush(out);
    }
    piece_.clear();
    pieceShapes_ = false;
    pieceWritten_ = true;
}

void ShownLines::writeShaped(std::string& out, bool lineEnds) {
    for (const char32_t character : piece_)
        columns_ = character == U'\t' ? nextTabColumn(columns_)
                                      : columns_ + static_cast<std::uint64_t>(columnsOf(character));
    const ShapedLine shaped = shaper_->shape(piece_);
    notPrintable_ += shaped.unprintable;
    widestShaped_ = std::max(widestShaped_, x_ + shaped.advance);

    // A whole right-to-left line ends at the right margin; one wider than
    // the text area starts at the left margin like any long line.
    std::int64_t start = x_;
    if (shaped.direction == TextDirection::rightToLeft && lineEnds && !pieceWritten_) {
        ++rightToLeftLines_;
        if (shaped.advance < rightEdge_) start = rightEdge_ - shaped.advance;
    }
    // x_ follows the pen: each glyph moves from where the last one ended
    // to its own place.
    const std::vector<ShapedGlyph>& glyphs = shaped.glyphs;
    for (std::size_t g = 0; g < glyphs.size(); ++g) {
        const ShapedGlyph& glyph = glyphs[g];
        // The glyph carrying a cluster of several glyphs is as wide as the
        // whole cluster, so that text extractors see its text cover the
        // cluster; the moves put the other glyphs back in their places.
        int width = glyph.glyph == 0 ? 0 : glyph.face->advanceWidth(glyph.glyph);
        if (glyph.glyph != 0 && !glyph.text.empty() && g + 1 < glyphs.size() &&
            glyphs[g + 1].text.empty()) {
            width = glyph.advance;
            for (std::size_t k = g + 1; k < glyphs.size() && glyphs[k].text.empty(); ++k)
                width += glyphs[k].advance;
        }
        const ShownCharacter shown =
            fonts_->showGlyph(*glyph.face, glyph.glyph, glyph.text, width, currentFont_);
        if (shown.font != currentFont_) switchFont(out, shown.font);
        if (glyph.yOffset != rise_) setRise(out, glyph.yOffset);
        const std::int64_t place = start + glyph.x;
        move(out, x_ - place);
        openString(out);
        appendHexCode(out, shown.code);
        x_ = place + shown.width;
    }
    // The rise is text state: it must not outlast the line (endLine sets it
    // back after the last string).
    if (rise_ != 0 && !lineEnds) setRise(out, 0);
    const std::int64_t end = start + shaped.advance;
    if (!lineEnds) move(out, x_ - end);
    x_ = end;
}

void ShownLines::addStandard(std::string& out, char32_t character) {
    const char byte = character < 0x80 ? static_cast<char>(character) : macRomanCode(character);
    openString(out);
    const std::size_t before = out.size();
    escapeText(out, std::string_view(&byte, 1));
    x_ += standard_->width(static_cast<unsigned char>(byte));
    if (character == U'\t')
        advanceToTabStop(out);
    else
        columns_ += out.size() - before;  // escapes included
}

int ShownLines::columnsOf(char32_t character) {
    if (character >= 0x10000) return isInvisibleCharacter(character) ? 0 : columnWidth(character);
    if (knownColumns_.empty()) knownColumns_.assign(0x10000, -1);
    signed char& known = knownColumns_[character];
    if (known < 0)
        known =
            static_cast<signed char>(isInvisibleCharacter(character) ? 0 : columnWidth(character));
    return known;
}

void ShownLines::addEmbedded(std::string& out, char32_t character) {
    std::optional<ShownCharacter> shown = fonts_->show(character, currentFont_);
    if (!shown) {
        ++notPrintable_;
        character = U'?';
        shown = fonts_->show(character, currentFont_);
        if (!shown) return;
    }
    if (shown->font != currentFont_) switchFont(out, shown->font);
    openString(out);
    appendHexCode(out, shown->code);
    if (character == U'\t') {
        advanceToTabStop(out);
        return;
    }
    const int columns = columnsOf(character);
    columns_ += static_cast<std::uint64_t>(columns);
    // In a monospaced font wide characters take two columns and marks none,
    // as on a terminal, so that text set in columns stays aligned.
    const std::int64_t advance = monospaced_ ? columns * columnAdvance_ : shown->width;
    move(out, shown->width - advance);
    x_ += advance;
    // Visible characters are shown alike wherever they stand; characters
    // that draw nothing take their code in the font at hand.
    if (character < 0x10000 && !isInvisibleCharacter(character)) {
        if (known_.empty()) known_.resize(0x10000);
        known_[character] = {static_cast<std::uint16_t>(shown->font), shown->code,
                             static_cast<std::int32_t>(advance),
                             static_cast<std::int32_t>(shown->width - advance), columns};
    }
}

void ShownLines::endLine(std::string& out) {
    if (shaping_) flushPiece(out, true);
    if (mode_ == Mode::Pending) out.push_back(open_);
    out.push_back(close_);
    out.append(mode_ == Mode::Array ? "] TJ" : ContentFrame::kShowOnNextLine);
    if (rise_ != 0) {
        out.append(" 0 Ts");
        rise_ = 0;
    }
    if (columns_ > widestColumns_) widestColumns_ = columns_;
}

}  // namespace leafwright
