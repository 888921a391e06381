#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

// One composite font of a document: a face and the 2-byte codes the
// document's text uses in it. Each distinct pair of glyph and character gets
// its own code, in order of first use, so that characters drawn with one
// glyph (the angstrom sign and A with ring) still map back to themselves.
// Codes start at 1; code 0 stays unused.
class EmbeddedFont {
  public:
    // One code's meaning.
    struct Code {
        GlyphId glyph;
        char32_t character;
        int width;  // thousandths of the font size
    };

    static constexpr std::size_t kMaxCodes = 0xFFFF;

    explicit EmbeddedFont(const FontFace& face) : face_(&face) {}

    const FontFace& face() const { return *face_; }

    // The code of a glyph showing a character, assigned if new; 0 when the
    // font has no code left (the caller then opens another font for the
    // same face).
    std::uint16_t codeFor(GlyphId glyph, char32_t character, int width);

    // The code already given to the pair, or 0.
    std::uint16_t existingCode(GlyphId glyph, char32_t character) const;

    bool full() const { return codes_.size() >= kMaxCodes; }

    // Every code in order; entry i is code i + 1.
    const std::vector<Code>& codes() const { return codes_; }

  private:
    static std::uint64_t key(GlyphId glyph, char32_t character) {
        return (std::uint64_t{glyph} << 32) | character;
    }

    const FontFace* face_;
    std::vector<Code> codes_;
    std::unordered_map<std::uint64_t, std::uint16_t> codeOf_;
};

}  // namespace leafwright
