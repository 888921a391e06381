#include "core/fonts/document_fonts.h"

#include "core/fonts/invisible_character.h"

namespace leafwright {
namespace {

// Surrogates and numbers past the last code point are not characters; a
// text map cannot even name them in UTF-16.
bool isCodePoint(char32_t character) {
    return character <= 0x10FFFF && (character < 0xD800 || character > 0xDFFF);
}

}  // namespace

DocumentFonts::DocumentFonts(FontProvider& provider, std::string baseFont)
    : provider_(provider), baseFont_(std::move(baseFont)) {
    const FontFace* primary = provider_.faceFor(baseFont_);
    if (!primary) throw FontUnavailable("no TrueType font is installed to draw " + baseFont_);
    fonts_.emplace_back(*primary);
}

int DocumentFonts::spaceWidth() const {
    const FontFace& primary = fonts_.front().face();
    return primary.advanceWidth(primary.glyphFor(U' '));
}

std::optional<ShownCharacter> DocumentFonts::show(char32_t character, std::size_t currentFont) {
    if (character < remembered_.size()) {
        const Remembered& known = remembered_[character];
        if (known.font == kNotPrintable) return std::nullopt;
        if (known.font != kUnknown) return ShownCharacter{known.font, known.code, known.width};
    }
    if (!isCodePoint(character)) return std::nullopt;
    if (currentFont >= fonts_.size()) currentFont = 0;
    if (isInvisibleCharacter(character))
        return place(fonts_[currentFont].face(), 0, std::u32string_view(&character, 1), 0,
                     currentFont);
    const std::optional<ShownCharacter> shown = showVisible(character);
    // Fonts past the first 0xFFFD (never met in practice) are not remembered.
    if (character < 0x10000 && (!shown || shown->font < kNotPrintable)) {
        if (remembered_.empty()) remembered_.resize(0x10000);
        Remembered& entry = remembered_[character];
        entry.font = shown ? static_cast<std::uint16_t>(shown->font) : kNotPrintable;
        entry.code = shown ? shown->code : 0;
        entry.width = shown ? shown->width : 0;
    }
    return shown;
}

std::optional<ShownCharacter> DocumentFonts::showVisible(char32_t character) {
    auto known = choices_.find(character);
    if (known == choices_.end()) {
        Choice choice{&fonts_.front().face(), fonts_.front().face().glyphFor(character)};
        if (choice.glyph == 0) {
            choice.face = provider_.fallbackFor(baseFont_, character);
            choice.glyph = choice.face ? choice.face->glyphFor(character) : 0;
            if (choice.glyph == 0) choice.face = nullptr;
        }
        known = choices_.emplace(character, choice).first;
    }
    const Choice& choice = known->second;
    if (!choice.face) return std::nullopt;
    return place(*choice.face, choice.glyph, std::u32string_view(&character, 1),
                 choice.face->advanceWidth(choice.glyph), std::nullopt);
}

ShownCharacter DocumentFonts::showGlyph(const FontFace& face, GlyphId glyph,
                                        std::u32string_view text, int width,
                                        std::size_t currentFont) {
    if (currentFont >= fonts_.size()) currentFont = 0;
    if (glyph == 0) return place(fonts_[currentFont].face(), 0, text, 0, currentFont);
    return place(face, glyph, text, width, std::nullopt);
}

ShownCharacter DocumentFonts::place(const FontFace& face, GlyphId glyph, std::u32string_view text,
                                    int width, std::optional<std::size_t> preferredFont) {
    // The width a code was given first is the one the document's /W says,
    // and so the one the pen moves by wherever the code stands.
    auto shown = [this](std::size_t font, std::uint16_t code) {
        return ShownCharacter{font, code, fonts_[font].codes()[code - 1].width};
    };
    // A pair already coded keeps its code; the preferred font is asked first
    // so that an invisible character does not pull in a font change.
    if (preferredFont) {
        if (const std::uint16_t code = fonts_[*preferredFont].existingCode(glyph, text))
            return shown(*preferredFont, code);
    }
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (&fonts_[i].face() != &face) continue;
        if (const std::uint16_t code = fonts_[i].existingCode(glyph, text)) return shown(i, code);
    }
    if (preferredFont && !fonts_[*preferredFont].full())
        return shown(*preferredFont, fonts_[*preferredFont].codeFor(glyph, text, width));
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (&fonts_[i].face() == &face && !fonts_[i].full())
            return shown(i, fonts_[i].codeFor(glyph, text, width));
    }
    // Every font of this face has used all its codes: one more font object
    // for the same face.
    fonts_.emplace_back(face);
    return shown(fonts_.size() - 1, fonts_.back().codeFor(glyph, text, width));
}

}  // namespace leafwright
