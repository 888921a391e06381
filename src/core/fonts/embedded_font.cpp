#include "core/fonts/embedded_font.h"

#include <limits>

#include "core/fonts/compact_text.h"

namespace leafwright {

std::uint16_t EmbeddedFont::add(GlyphId glyph, std::u32string_view text, int width) {
    if (full()) return 0;
    const std::size_t start = texts_.size();
    appendCompactText(texts_, text);
    const std::size_t length = texts_.size() - start;
    if (texts_.size() > std::numeric_limits<std::uint32_t>::max()) {
        // Texts beyond what a block start can point at: the font counts as
        // full.
        texts_.resize(start);
        return 0;
    }
    const auto code = static_cast<std::uint16_t>(codeCount() + 1);
    if (codeCount() % kBlock == 0) blockStarts_.push_back(static_cast<std::uint32_t>(start));
    if (length < kLong) {
        textLengths_.push_back(static_cast<std::uint8_t>(length));
    } else {
        textLengths_.push_back(kLong);
        longLengths_.emplace(code, static_cast<std::uint32_t>(length));
    }
    if (glyph < 0x10000 && width >= 0 && width < 0xFFFF) {
        glyphWidths_.push_back((glyph << 16) | static_cast<std::uint32_t>(width));
    } else {
        glyphWidths_.push_back(kUnusual);
        unusual_.emplace(code, std::pair<GlyphId, int>(glyph, width));
    }
    // A full font keeps no room to spare.
    if (full()) texts_.shrink_to_fit();
    return code;
}

GlyphId EmbeddedFont::glyph(std::uint16_t code) const {
    const std::uint32_t packed = glyphWidths_[code - 1];
    return packed == kUnusual ? unusual_.at(code).first : packed >> 16;
}

int EmbeddedFont::width(std::uint16_t code) const {
    const std::uint32_t packed = glyphWidths_[code - 1];
    return packed == kUnusual ? unusual_.at(code).second : static_cast<int>(packed & 0xFFFF);
}

std::uint32_t EmbeddedFont::textLength(std::size_t index) const {
    const std::uint8_t length = textLengths_[index];
    return length == kLong ? longLengths_.at(static_cast<std::uint16_t>(index + 1)) : length;
}

std::string_view EmbeddedFont::textBytes(std::uint16_t code) const {
    const std::size_t index = code - 1;
    std::size_t start = blockStarts_[index / kBlock];
    for (std::size_t i = index - index % kBlock; i < index; ++i) start += textLength(i);
    return std::string_view(texts_).substr(start, textLength(index));
}

std::u32string EmbeddedFont::text(std::uint16_t code) const {
    return compactTextCharacters(textBytes(code));
}

}  // namespace leafwright
