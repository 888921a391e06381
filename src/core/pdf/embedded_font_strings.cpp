#include "core/pdf/embedded_font_strings.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <optional>

#include "core/fonts/column_width.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/line_shaper.h"
#include "core/pdf/glyph_texts.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

double parsedSize(const std::string& text) {
    double size = 0;
    std::from_chars(text.data(), text.data() + text.size(), size);
    return size > 0 ? size : 1;
}

}  // namespace

EmbeddedFontStrings::EmbeddedFontStrings(DocumentFonts& fonts, std::string fontSizeText,
                                         bool monospaced)
    : strings_(TabbedStrings::hex(fonts.spaceWidth())),
      fonts_(&fonts),
      fontSizeText_(std::move(fontSizeText)),
      fontSize_(parsedSize(fontSizeText_)),
      monospaced_(monospaced),
      columnAdvance_(fonts.spaceWidth()) {
    if (monospaced_) fonts.setColumnAdvance(static_cast<int>(columnAdvance_));
}

void EmbeddedFontStrings::switchFont(std::string& out, std::size_t font) {
    if (font >= fontSelections_.size()) fontSelections_.resize(font + 1);
    std::string& selection = fontSelections_[font];
    if (selection.empty())
        selection = "/F" + std::to_string(font + 1) + " " + fontSizeText_ + " Tf";
    strings_.interrupt(out, selection);
    currentFont_ = font;
}

void EmbeddedFontStrings::setRise(std::string& out, int thousandths) {
    strings_.interrupt(out, decimalNumber(thousandths * fontSize_ / 1000) + " Ts");
    rise_ = thousandths;
}

bool EmbeddedFontStrings::singleByte(std::size_t font) const {
    return fonts_->fonts()[font].codeBytes() == 1;
}

void EmbeddedFontStrings::appendCode(std::string& out, const ShownCharacter& shown) const {
    if (!singleByte(shown.font)) {
        appendHexCode(out, shown.code);
        return;
    }
    char digits[4];
    putHexCode(digits, shown.code);
    out.append(digits + 2, 2);
}

void EmbeddedFontStrings::endLine(std::string& out) {
    strings_.endLine(out);
    // The rise is text state: it must not outlast the line.
    if (rise_ != 0) {
        out.append(" 0 Ts");
        rise_ = 0;
    }
}

int EmbeddedFontStrings::columnsOf(char32_t character) {
    if (character >= 0x10000) return isInvisibleCharacter(character) ? 0 : columnWidth(character);
    if (knownColumns_.empty()) knownColumns_.assign(0x10000, -1);
    signed char& known = knownColumns_[character];
    if (known < 0)
        known =
            static_cast<signed char>(isInvisibleCharacter(character) ? 0 : columnWidth(character));
    return known;
}

EmbeddedFontStrings::Known& EmbeddedFontStrings::knownEntry(char32_t character,
                                                            std::size_t runFont) {
    // addKnown looks in known_ first, whichever table holds the character.
    if (known_.empty()) known_.resize(0x10000);
    if (!takesRunFace(character, runFont)) return known_[character];
    if (runFont >= knownInRun_.size()) knownInRun_.resize(runFont + 1);
    if (!knownInRun_[runFont]) knownInRun_[runFont] = std::make_unique<Known[]>(0x80);
    return knownInRun_[runFont][character];
}

void EmbeddedFontStrings::add(std::string& out, char32_t character) {
    const std::size_t runFont = runFont_;
    std::optional<ShownCharacter> shown = fonts_->show(character, currentFont_, runFont_);
    if (!shown) {
        ++notPrintable_;
        character = U'?';
        shown = fonts_->show(character, currentFont_, runFont_);
        if (!shown) return;
    }
    if (shown->font != currentFont_) switchFont(out, shown->font);
    strings_.openString(out);
    appendCode(out, *shown);
    if (character == U'\t') {
        strings_.advanceToTabStop(out);
        return;
    }
    const int columns = columnsOf(character);
    strings_.addColumns(static_cast<std::uint64_t>(columns));
    // In a monospaced font wide characters take two columns and marks none,
    // as on a terminal, so that text set in columns stays aligned. The
    // fonts give such characters codes of that width; only a code first
    // shown in a shaped line keeps its glyph's width and needs a move.
    const std::int64_t advance = monospaced_ ? columns * columnAdvance_ : shown->width;
    strings_.move(out, shown->width - advance);
    strings_.advance(advance);
    // Visible characters are shown alike wherever they stand; characters
    // that draw nothing take their code in the font at hand.
    if (character < 0x10000 && !isInvisibleCharacter(character) && !singleByte(shown->font)) {
        Known& known = knownEntry(character, runFont);
        known.font = static_cast<std::uint16_t>(shown->font);
        putHexCode(known.hex, shown->code);
        known.columns = static_cast<std::int16_t>(columns);
        known.advance = static_cast<std::int32_t>(advance);
        known.move = static_cast<std::int32_t>(shown->width - advance);
        if (character >= 0x20 && character < 0x7F && !takesRunFace(character, runFont) &&
            shown->font == 0 && shown->width == advance && columns == 1) {
            putHexCode(asciiCodes_[character], shown->code);
            asciiAdvances_.set(character, advance);
        }
    }
}

std::size_t EmbeddedFontStrings::addKnownAscii(std::string& out, std::string_view text,
                                               CodeRun& run) {
    if (runFont_ != 0) return 0;
    std::int64_t advance = 0;
    const std::size_t length = asciiAdvances_.knownStart(text, INT64_MAX, advance);
    if (length == 0) return 0;
    // As addKnown and add do for the first character (add writes its code
    // even while planning); the rest stay in the first font, and the run at
    // its start.
    run.flush(out);
    bool opens = false;
    if (currentFont_ != 0) {
        switchFont(out, 0);
    } else if (!strings_.stringOpen()) {
        strings_.openString(out);
        opens = true;
    }
    const std::size_t written = !planning_ ? length : opens ? 1 : 0;
    strings_.advance(advance);
    strings_.addColumns(length);  // one column each
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t at = out.size();
    out.resize(at + 4 * written);
    char* codes = out.data() + at;
    for (std::size_t k = 0; k < written; ++k) std::memcpy(codes + 4 * k, asciiCodes_[bytes[k]], 4);
    return length;
}

bool EmbeddedFontStrings::passKnownAsciiLine(std::string_view text) noexcept {
    if (!planning_) return false;
    if (!asciiAdvances_.allKnown(text)) return false;
    // A line's start puts the run in the first font; its characters, when
    // it has any, the current font too. One column each (see add).
    runFont_ = 0;
    if (!text.empty()) currentFont_ = 0;
    strings_.passLine(text.size());
    return true;
}

std::size_t EmbeddedFontStrings::addKnownUtf8(std::string& out, std::string_view text,
                                              CodeRun& run) {
    if (known_.empty() || runFont_ != currentFont_ || !strings_.stringOpen()) return 0;
    // Within the run every character's entry is looked up as addKnown does
    // with the run in the current font: the neutral ASCII characters in the
    // run's own table (known_ for the first font), the others in known_.
    const Known* const known = known_.data();
    const Known* neutral = known;
    if (currentFont_ != 0)
        neutral = currentFont_ < knownInRun_.size() ? knownInRun_[currentFont_].get() : nullptr;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    const std::size_t font = currentFont_;
    const bool writes = !planning_;
    std::size_t at = 0;
    std::size_t used = run.used;
    std::int64_t advance = 0;
    std::uint64_t columns = 0;
    while (at < n) {
        char32_t character;
        const std::size_t length = decodeShortUtf8(p + at, n - at, character);
        if (length == 0) break;
        const Known* entry = &known[character];
        if (isNeutralCharacter(character)) {
            if (neutral == nullptr) break;
            entry = &neutral[character];
        }
        if (entry->font != font || entry->move != 0) break;
        advance += entry->advance;
        columns += static_cast<std::uint64_t>(entry->columns);
        at += length;
        if (!writes) continue;
        std::memcpy(run.bytes + used, entry->hex, 4);
        used += 4;
        if (used == sizeof run.bytes) {
            out.append(run.bytes, used);
            used = 0;
        }
    }
    run.used = used;
    strings_.advance(advance);
    strings_.addColumns(columns);
    return at;
}

void EmbeddedFontStrings::addAll(std::string& out, std::u32string_view characters) {
    CodeRun run;
    for (const char32_t character : characters) {
        if (addKnown(out, character, run)) continue;
        run.flush(out);
        add(out, character);
    }
    run.flush(out);
}

void EmbeddedFontStrings::drawShaped(std::string& out, const ShapedLine& shaped, std::int64_t start,
                                     bool lineEnds) {
    const std::vector<DrawnCode> codes = drawnCodes(*fonts_, shaped, currentFont_, &shownGlyphs_);
    const std::int64_t end = start + shaped.advance;
    if (planning_) {
        // What is written while planning is thrown away: the fonts learn
        // the codes above, and the line keeps the state writing leaves (the
        // font, the rise, an open string, the pen at the end).
        if (!codes.empty()) {
            currentFont_ = codes.back().shown.font;
            rise_ = codes.back().yOffset;
        }
        if (!codes.empty() || (!lineEnds && (rise_ != 0 || end != strings_.x())))
            strings_.openString(out);
        if (!lineEnds) rise_ = 0;
        strings_.placeAt(end);
        return;
    }
    // The pen follows the glyphs: each glyph moves from where the last one
    // ended to its own place.
    for (const DrawnCode& code : codes) {
        const ShownCharacter& shown = code.shown;
        if (shown.font != currentFont_) switchFont(out, shown.font);
        if (code.yOffset != rise_) setRise(out, code.yOffset);
        strings_.moveTo(out, start + code.x);
        // A direction mark is no text of the source: Unspool skips it.
        if (code.mark) strings_.interrupt(out, "/Artifact BMC");
        strings_.openString(out);
        appendCode(out, shown);
        strings_.advance(shown.width);
        if (code.mark) strings_.interrupt(out, "EMC");
    }
    // A line that ends here sets the rise back after its last string.
    if (lineEnds) {
        strings_.placeAt(end);
        return;
    }
    if (rise_ != 0) setRise(out, 0);
    strings_.moveTo(out, end);
}

}  // namespace leafwright
