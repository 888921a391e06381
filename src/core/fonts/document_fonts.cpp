#include "core/fonts/document_fonts.h"

#include <cstdint>
#include <stdexcept>

#include "core/fonts/column_width.h"
#include "core/fonts/compact_text.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/neutral_character.h"

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
    fonts_.emplace_back(*primary, clusters_);
    openFont_.emplace(primary, 0);
}

int DocumentFonts::spaceWidth() const {
    const FontFace& primary = fonts_.front().face();
    return primary.advanceWidth(primary.glyphFor(U' '));
}

std::optional<ShownCharacter> DocumentFonts::show(char32_t character, std::size_t currentFont,
                                                  std::size_t& runFont) {
    if (takesRunFace(character, runFont)) {
        if (const std::optional<ShownCharacter> shown = showInRun(character, runFont)) {
            runFont = shown->font;
            return shown;
        }
    }
    if (character < remembered_.size()) {
        const Remembered& known = remembered_[character];
        if (known.font == kNotPrintable) return std::nullopt;
        if (known.font != kUnknown) {
            runFont = known.font;
            return ShownCharacter{known.font, known.code, known.width};
        }
    }
    if (!isCodePoint(character)) return std::nullopt;
    if (currentFont >= fonts_.size() || fonts_[currentFont].codeBytes() == 1) currentFont = 0;
    if (isInvisibleCharacter(character))
        return place(fonts_[currentFont].face(), 0, std::u32string_view(&character, 1), 0);
    const std::optional<ShownCharacter> shown = showVisible(character);
    // Fonts past the first 0xFFFD (never met in practice) are not remembered.
    if (character < 0x10000 && (!shown || shown->font < kNotPrintable)) {
        if (remembered_.empty()) remembered_.resize(0x10000);
        remember(remembered_[character], shown);
    }
    if (shown) runFont = shown->font;
    return shown;
}

std::optional<ShownCharacter> DocumentFonts::showInRun(char32_t character, std::size_t runFont) {
    if (runFont >= fonts_.size() || fonts_[runFont].codeBytes() == 1) return std::nullopt;
    const FontFace& face = fonts_[runFont].face();
    if (&face == &fonts_.front().face()) return std::nullopt;
    // The table is a heap array that place() never moves.
    Remembered* entry = nullptr;
    if (runFont < kNotPrintable) {
        if (runFont >= rememberedInRun_.size()) rememberedInRun_.resize(runFont + 1);
        std::unique_ptr<Remembered[]>& table = rememberedInRun_[runFont];
        if (!table) table = std::make_unique<Remembered[]>(0x80);
        entry = &table[character];
        if (entry->font == kNotPrintable) return std::nullopt;
        if (entry->font != kUnknown) return ShownCharacter{entry->font, entry->code, entry->width};
    }
    const GlyphId glyph = face.glyphFor(character);
    std::optional<ShownCharacter> shown;
    if (glyph != 0) shown = placeCharacter(face, glyph, character);
    if (entry && (!shown || shown->font < kNotPrintable)) remember(*entry, shown);
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
    return placeCharacter(*choice.face, choice.glyph, character);
}

ShownCharacter DocumentFonts::placeCharacter(const FontFace& face, GlyphId glyph,
                                             char32_t character) {
    const int width =
        columnAdvance_ > 0 ? columnWidth(character) * columnAdvance_ : face.advanceWidth(glyph);
    return place(face, glyph, std::u32string_view(&character, 1), width);
}

void DocumentFonts::remember(Remembered& entry, const std::optional<ShownCharacter>& shown) {
    entry.font = shown ? static_cast<std::uint16_t>(shown->font) : kNotPrintable;
    entry.code = shown ? shown->code : 0;
    entry.width = shown ? shown->width : 0;
}

ShownCharacter DocumentFonts::showGlyph(const FontFace& face, GlyphId glyph,
                                        std::u32string_view text, int width,
                                        std::size_t currentFont) {
    if (currentFont >= fonts_.size() || fonts_[currentFont].codeBytes() == 1) currentFont = 0;
    if (glyph == 0) return place(fonts_[currentFont].face(), 0, text, 0);
    return place(face, glyph, text, width);
}

std::optional<ShownCharacter> DocumentFonts::showCluster(
    const FontFace& face, const std::vector<GlyphComponent>& components, std::u32string_view text,
    int width) {
    if (face.outlines() != FontOutlines::trueType || face.file().bytes.empty()) return std::nullopt;
    const GlyphId cluster = clusters_->idOf(face, components, width);
    if (cluster == 0) return std::nullopt;
    return place(face, cluster, text, width);
}

ShownCharacter DocumentFonts::place(const FontFace& face, GlyphId glyph, std::u32string_view text,
                                    int width) {
    // The width a code was given first is the one the document's /W says,
    // and so the one the pen moves by wherever the code stands.
    auto shown = [this](std::size_t font, std::uint16_t code) {
        return ShownCharacter{font, code, fonts_[font].width(code)};
    };
    textBytes_.clear();
    appendCompactText(textBytes_, text);
    const std::uint64_t hash = hashOf(face, glyph, textBytes_);
    const std::uint32_t found = codes_.find(hash, [&](std::uint32_t entry) {
        const EmbeddedFont& font = fonts_[entry >> 16];
        const auto code = static_cast<std::uint16_t>(entry & 0xFFFF);
        return &font.face() == &face && font.glyph(code) == glyph &&
               font.textBytes(code) == textBytes_;
    });
    if (found != 0) return shown(found >> 16, static_cast<std::uint16_t>(found & 0xFFFF));

    // A new pair: in the face's open font, or, once that has used all its
    // codes (or room for texts), in one more font object for the same face.
    auto open = openFont_.find(&face);
    if (open == openFont_.end() || fonts_[open->second].full())
        open = openFont_.insert_or_assign(&face, addFont(face)).first;
    std::size_t font = open->second;
    std::uint16_t code = fonts_[font].add(glyph, text, width);
    if (code == 0) {
        font = open->second = addFont(face);
        code = fonts_[font].add(glyph, text, width);
    }
    codes_.insert(hash, static_cast<std::uint32_t>(font << 16 | code), [this](std::uint32_t entry) {
        const EmbeddedFont& owner = fonts_[entry >> 16];
        const auto kept = static_cast<std::uint16_t>(entry & 0xFFFF);
        return hashOf(owner.face(), owner.glyph(kept), owner.textBytes(kept));
    });
    return shown(font, code);
}

std::size_t DocumentFonts::addFont(const FontFace& face) {
    // The code index holds a font's index in 16 bits.
    if (fonts_.size() > 0xFFFF) throw std::length_error("a document uses too many fonts");
    fonts_.emplace_back(face, clusters_);
    return fonts_.size() - 1;
}

std::uint64_t DocumentFonts::hashOf(const FontFace& face, GlyphId glyph,
                                    std::string_view textBytes) {
    std::uint64_t hash = (reinterpret_cast<std::uintptr_t>(&face) * 0x9E3779B97F4A7C15ULL) ^ glyph;
    for (const char byte : textBytes)
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001B3ULL;
    hash ^= hash >> 31;
    hash *= 0xBF58476D1CE4E5B9ULL;
    return hash ^ (hash >> 29);
}

}  // namespace leafwright
