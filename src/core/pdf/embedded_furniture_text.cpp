#include "core/pdf/embedded_furniture_text.h"

#include "core/fonts/document_fonts.h"
#include "core/fonts/hex_text.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/shaping_need.h"
#include "core/pdf/glyph_texts.h"
#include "core/pdf/page_furniture.h"
#include "core/text/text_encoding.h"

namespace leafwright {

EmbeddedFurnitureText::EmbeddedFurnitureText(DocumentFonts& fonts, LineShaper* shaper, double size)
    : fonts_(fonts), shaper_(shaper), size_(size), sizeText_(pdfNumber(size)) {}

EmbeddedFurnitureText::Laid EmbeddedFurnitureText::lay(std::string_view text) {
    std::u32string characters;
    for (std::size_t at = 0; at < text.size();) {
        char32_t character;
        at += decodeCharacter(text, at, SourceEncoding::Utf8, character);
        characters.push_back(character);
    }
    Laid laid;
    if (shaper_ && needsShaping(characters)) {
        const ShapedLine shaped = shaper_->shape(characters);
        for (const DrawnCode& code : drawnCodes(fonts_, shaped, 0))
            laid.glyphs.push_back(
                {code.shown.font, code.shown.code, code.x, code.yOffset, code.shown.width});
        laid.advance = shaped.advance;
        return laid;
    }
    std::size_t font = 0, runFont = 0;
    for (char32_t character : characters) {
        std::optional<ShownCharacter> code = fonts_.show(character, font, runFont);
        if (!code) code = fonts_.show(U'?', font, runFont);
        if (!code) continue;
        font = code->font;
        laid.glyphs.push_back({code->font, code->code, laid.advance, 0, code->width});
        laid.advance += code->width;
    }
    return laid;
}

const EmbeddedFurnitureText::Laid& EmbeddedFurnitureText::layDigits(std::string_view digits) {
    if (digits_.empty()) {
        for (char digit = '0'; digit <= '9'; ++digit)
            digits_.push_back(lay(std::string_view(&digit, 1)));
    }
    number_.glyphs.clear();
    number_.advance = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9') continue;
        // A face without the digit nor "?" draws nothing for it.
        for (Glyph glyph : digits_[static_cast<std::size_t>(digit - '0')].glyphs) {
            glyph.x += number_.advance;
            number_.glyphs.push_back(glyph);
        }
        number_.advance += digits_[static_cast<std::size_t>(digit - '0')].advance;
    }
    return number_;
}

void EmbeddedFurnitureText::draw(std::string& out, const Laid& laid, double x, double y) {
    // A string goes on while each code starts where the one before ended, in
    // the same font and at the same height; the next starts afresh.
    bool open = false;
    int pen = 0, rise = 0;
    for (const Glyph& glyph : laid.glyphs) {
        const bool follows =
            open && glyph.font == currentFont_ && glyph.x == pen && glyph.rise == rise;
        if (!follows) {
            if (open) out += "> Tj\r\n";
            if (glyph.font != currentFont_) {
                out += "/F" + std::to_string(glyph.font + 1) + ' ' + sizeText_ + " Tf\r\n";
                currentFont_ = glyph.font;
            }
            out += "1 0 0 1 ";
            out += pdfNumber(x + glyph.x * size_ / 1000);
            out += ' ';
            out += pdfNumber(y + glyph.rise * size_ / 1000);
            out += " Tm\r\n<";
            open = true;
            rise = glyph.rise;
        }
        appendHexCode(out, glyph.code);
        pen = glyph.x + glyph.width;
    }
    if (open) out += "> Tj\r\n";
}

}  // namespace leafwright
