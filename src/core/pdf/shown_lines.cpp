#include "core/pdf/shown_lines.h"

#include <algorithm>
#include <cmath>

#include "core/fonts/document_fonts.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/shaping_need.h"

namespace leafwright {

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

// White space that hangs at a row's end when the row breaks after it: tabs
// and the spaces other than the no-break ones.
bool hangs(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x1680 || (c >= 0x2000 && c <= 0x200A && c != 0x2007) ||
           c == 0x205F || c == 0x3000;
}

// The advance of the white space at the logical end of a shaped line.
std::int64_t trailingSpace(const ShapedLine& shaped) {
    std::int64_t space = 0, pending = 0;
    for (std::size_t g = shaped.glyphs.size(); g-- > 0;) {
        const ShapedGlyph& glyph = shaped.glyphs[g];
        pending += glyph.advance;
        if (glyph.text.empty()) continue;
        for (const char32_t character : glyph.text)
            if (!hangs(character)) return space;
        space += pending;
        pending = 0;
    }
    return space;
}

}  // namespace

ShownLines::ShownLines(const StandardFontWidths& widths) : standard_(std::in_place, widths) {}

ShownLines::ShownLines(DocumentFonts& fonts, LineShaper* shaper, std::string fontSizeText,
                       bool monospaced)
    : embedded_(std::in_place, fonts, std::move(fontSizeText), monospaced), shaper_(shaper) {}

void ShownLines::setTextAreaWidth(double points) {
    const double fontSize = embedded_ ? embedded_->fontSize() : 0;
    rightEdge_ = points > 0 && fontSize > 0 ? std::llround(points * 1000 / fontSize) : 0;
}

double ShownLines::widestShapedPoints() const noexcept {
    return embedded_ ? static_cast<double>(widestShaped_) * embedded_->fontSize() / 1000 : 0;
}

void ShownLines::beginRow(std::string& out, bool continued) {
    const std::optional<TextDirection> paragraph = paragraph_;
    beginLine(out);
    if (continued) paragraph_ = paragraph;
    continuedRow_ = continued;
    row_ = true;
    // A continued row of a line read right to left is shaped whatever it
    // holds, so that it reads right to left and ends at the right margin.
    if (continued && paragraph_ == TextDirection::rightToLeft && embedded_ && shaper_) {
        shaping_ = true;
        forceShaping_ = true;
    }
}

bool ShownLines::passKnownRow(std::string_view characters, bool continued) noexcept {
    if (!embedded_ || !planning_ || pastEdgeRoom_ >= 0) return false;
    // A continued row of a right-to-left line is shaped (beginRow).
    if (continued && paragraph_ == TextDirection::rightToLeft && shaper_) return false;
    if (!embedded_->passKnownAsciiLine(characters)) return false;
    // The state beginRow sets, and endLine's direction of a row not shaped.
    if (!continued || !paragraph_) paragraph_ = TextDirection::leftToRight;
    continuedRow_ = continued;
    row_ = true;
    forceShaping_ = false;
    restartPiece();
    return true;
}

void ShownLines::restartPiece() noexcept {
    piece_.clear();
    pieceShapes_ = false;
    pieceWritten_ = false;
    shaping_ = false;
    lineSeen_ = 0;
    lineBytes_.clear();
}

void ShownLines::beginLine(std::string& out) {
    paragraph_.reset();
    continuedRow_ = false;
    row_ = false;
    forceShaping_ = false;
    if (!embedded_) {
        standard_->beginLine(out);
        return;
    }
    embedded_->beginLine(out);
    restartPiece();
    lineStart_ = out.size();
    lineStartMark_ = embedded_->mark();
}

void ShownLines::add(std::string& out, std::string_view characters, SourceEncoding encoding) {
    const std::size_t n = characters.size();
    if (!embedded_) {
        const auto* p = reinterpret_cast<const unsigned char*>(characters.data());
        for (std::size_t i = 0; i < n;) {
            // Plain ASCII, most text, goes many bytes at a time.
            if (p[i] < 0x80) i += standard_->addStandardAscii(out, characters.substr(i));
            if (i < n) standard_->addStandard(out, nextCharacter(characters, i, encoding));
        }
        return;
    }
    if (shaping_) {
        for (std::size_t i = 0; i < n;) addToPiece(out, nextCharacter(characters, i, encoding));
        return;
    }
    addEmbedded(out, characters, encoding);
}

// Most lines need no shaping: they are written as they come, and their first
// bytes kept so that the line can be taken back and shaped whole when a
// character needing it turns up. A character with a known code never needs
// it: codes are only given to characters written one by one.
void ShownLines::addEmbedded(std::string& out, std::string_view characters,
                             SourceEncoding encoding) {
    const std::size_t n = characters.size();
    EmbeddedFontStrings::CodeRun run;
    const auto* p = reinterpret_cast<const unsigned char*>(characters.data());
    const bool utf8 = encoding == SourceEncoding::Utf8;
    for (std::size_t i = 0; i < n;) {
        // Plain ASCII, most text, goes many characters at a time, and so do
        // the characters of other alphabets once they are known.
        if (p[i] < 0x80) {
            i += embedded_->addKnownAscii(out, characters.substr(i), run);
            if (i == n) break;
        }
        if (utf8) {
            i += embedded_->addKnownUtf8(out, characters.substr(i), run);
            if (i == n) break;
        }
        const std::size_t start = i;
        const char32_t character = nextCharacter(characters, i, encoding);
        if (embedded_->addKnown(out, character, run)) continue;
        run.flush(out);
        if (character >= 0x300 && shaper_ && shapes(character)) {
            startShaping(out, characters, start, encoding);
            return;
        }
        embedded_->add(out, character);
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
        embedded_->returnTo(lineStartMark_);
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
    if (pieceShapes_ || forceShaping_)
        writeShaped(out, lineEnds);
    else
        embedded_->addAll(out, piece_);
    piece_.clear();
    pieceShapes_ = false;
    pieceWritten_ = true;
}

void ShownLines::writeShaped(std::string& out, bool lineEnds) {
    ++shapedPieces_;
    TabbedStrings& strings = embedded_->strings();
    for (const char32_t character : piece_) {
        if (character == U'\t')
            strings.addTabColumns();
        else
            strings.addColumns(static_cast<std::uint64_t>(embedded_->columnsOf(character)));
    }
    const ShapedLine shaped =
        continuedRow_ ? shaper_->shape(piece_, paragraph_) : shaper_->shape(piece_);
    if (!paragraph_) paragraph_ = shaped.direction;
    embedded_->countNotPrintable(shaped.unprintable);
    widestShaped_ = std::max(widestShaped_, strings.x() + shaped.advance);

    // A whole right-to-left line ends at the right margin; one wider than
    // the text area starts at the left margin like any long line.
    std::int64_t start = strings.x();
    if (shaped.direction == TextDirection::rightToLeft && lineEnds && !pieceWritten_) {
        ++rightToLeftLines_;
        if (shaped.advance < rightEdge_ ||
            (row_ && shaped.advance - trailingSpace(shaped) <= rightEdge_))
            start = rightEdge_ - shaped.advance;
    }
    embedded_->drawShaped(out, shaped, start, lineEnds);
}

void ShownLines::endLine(std::string& out) {
    if (!embedded_) {
        standard_->endLine(out);
        return;
    }
    if (shaping_) flushPiece(out, true);
    if (planning_ && pastEdgeRoom_ >= 0 && strings().x() > pastEdgeRoom_) ++linesPastEdge_;
    embedded_->endLine(out);
    // A first row drawn without shaping reads left to right.
    if (row_ && !paragraph_) paragraph_ = TextDirection::leftToRight;
}

}  // namespace leafwright
