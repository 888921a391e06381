#include "core/fonts/embedded_font.h"

namespace leafwright {

std::uint16_t EmbeddedFont::existingCode(GlyphId glyph, std::u32string_view text) const {
    if (text.size() == 1) return existingCode(glyph, text.front());
    const auto found = clusterCodeOf_.find(std::pair<GlyphId, std::u32string>(glyph, text));
    return found == clusterCodeOf_.end() ? 0 : found->second;
}

std::uint16_t EmbeddedFont::codeFor(GlyphId glyph, std::u32string_view text, int width) {
    if (const std::uint16_t code = existingCode(glyph, text)) return code;
    if (full()) return 0;
    codes_.push_back({glyph, std::u32string(text), width});
    const auto code = static_cast<std::uint16_t>(codes_.size());
    if (text.size() == 1)
        codeOf_.emplace(key(glyph, text.front()), code);
    else
        clusterCodeOf_.emplace(std::pair<GlyphId, std::u32string>(glyph, text), code);
    return code;
}

}  // namespace leafwright
