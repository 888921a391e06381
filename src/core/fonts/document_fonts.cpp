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
        return place(fonts_[currentFont].face(), 0, character, 0, currentFont);
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
    return place(*choice.face, choice.glyph, character, choice.face->advanceWidth(choice.glyph),
                 std::nullopt);
}

std::optional<ShownCharacter> DocumentFonts::place(const FontFace& face, GlyphId glyph,
                                                   char32_t character, int width,
                                                   std::optional<std::size_t> preferredFont) {
    // A pair already coded keeps its code; the preferred font is asked first
    // so that an invisible character does not pull in a font change.
    if (preferredFont) {
        if (const std::uint16_t code = fonts_[*preferredFont].existingCode(glyph, character))
            return ShownCharacter{*preferredFont, code, width};
    }
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (&fonts_[i].face() != &face) continue;
        if (const std::uint16_t code = fonts_[i].existingCode(glyph, character))
            return ShownCharacter{i, code, width};
    }
    if (preferredFont && !fonts_[*preferredFont].full()) {
        return ShownCharacter{*preferredFont,
                              fonts_[*preferredFont].codeFor(glyph, character, width), width};
    }
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (&fonts_[i].face() == &face && !fonts_[i].full())
            return ShownCharacter{i, fonts_[i].codeFor(glyph, character, width), width};
    }
    // Every font of this face has used all its codes: one more font object
    // for the same face.
    fonts_.emplace_back(face);
    return ShownCharacter{fonts_.size() - 1, fonts_.back().codeFor(glyph, character, width), width};
}

}  // namespace leafwright
