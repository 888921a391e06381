#include "core/fonts/embedded_font.h"

namespace leafwright {

std::uint16_t EmbeddedFont::existingCode(GlyphId glyph, char32_t character) const {
    const auto found = codeOf_.find(key(glyph, character));
    return found == codeOf_.end() ? 0 : found->second;
}

std::uint16_t EmbeddedFont::codeFor(GlyphId glyph, char32_t character, int width) {
    if (const std::uint16_t code = existingCode(glyph, character)) return code;
    if (full()) return 0;
    codes_.push_back({glyph, character, width});
    const auto code = static_cast<std::uint16_t>(codes_.size());
    codeOf_.emplace(key(glyph, character), code);
    return code;
}

}  // namespace leafwright
