#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

// One composite font of a document: a face and the 2-byte codes the
// document's text uses in it. Each distinct pair of glyph and text gets its
// own code, in order of first use, so that characters drawn with one glyph
// (the angstrom sign and A with ring) still map back to themselves. The
// text of a code is mostly one character; a ligature's glyph carries all
// the characters it draws, and the further glyphs of a shaped cluster carry
// none. Codes start at 1; code 0 stays unused.
class EmbeddedFont {
  public:
    // One code's meaning.
    struct Code {
        GlyphId glyph;
        std::u32string text;
        int width;  // thousandths of the font size
    };

    static constexpr std::size_t kMaxCodes = 0xFFFF;

    explicit EmbeddedFont(const FontFace& face) : face_(&face) {}

    const FontFace& face() const { return *face_; }

    // The code of a glyph showing a text, assigned if new; 0 when the font
    // has no code left (the caller then opens another font for the same
    // face).
    std::uint16_t codeFor(GlyphId glyph, std::u32string_view text, int width);
    std::uint16_t codeFor(GlyphId glyph, char32_t character, int width) {
        return codeFor(glyph, std::u32string_view(&character, 1), width);
    }

    // The code already given to the pair, or 0.
    std::uint16_t existingCode(GlyphId glyph, std::u32string_view text) const;
    std::uint16_t existingCode(GlyphId glyph, char32_t character) const {
        const auto found = codeOf_.find(key(glyph, character));
        return found == codeOf_.end() ? 0 : found->second;
    }

    bool full() const { return codes_.size() >= kMaxCodes; }

    // Every code in order; entry i is code i + 1.
    const std::vector<Code>& codes() const { return codes_; }

  private:
    static std::uint64_t key(GlyphId glyph, char32_t character) {
        return (std::uint64_t{glyph} << 32) | character;
    }

    const FontFace* face_;
    std::vector<Code> codes_;
    // Codes of one character, the common case, by glyph and character.
    std::unordered_map<std::uint64_t, std::uint16_t> codeOf_;
    // Codes of any other text, from shaped lines.
    std::map<std::pair<GlyphId, std::u32string>, std::uint16_t, std::less<>> clusterCodeOf_;
};

}  // namespace leafwright
