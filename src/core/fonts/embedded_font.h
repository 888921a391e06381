#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/fonts/font_face.h"
#include "core/fonts/glyph_clusters.h"

namespace leafwright {

// One composite font of a document: a face and the 2-byte codes the
// document's text uses in it, in order of first use. A code is a glyph, its
// advance, and the text it stands for: mostly one character; a ligature's
// glyph carries all the characters it draws, a cluster drawn as one
// composite glyph its whole text, and the further glyphs of a shaped
// cluster otherwise carry a piece of it or none. Codes start at 1; code 0 stays unused.
// DocumentFonts decides which pair of glyph and text gets which code.
//
// A document may give a code to every cluster it shapes, and the text maps
// written after the pages need every code's text, so the codes are held
// compactly: a text costs its UTF-8 bytes and a little over one byte more,
// a glyph and advance four bytes together.
class EmbeddedFont {
  public:
    static constexpr std::size_t kMaxCodes = 0xFFFF;

    // A CFF program's codes are its CIDs, and it holds CID 0 besides them in
    // at most 0xFFFF glyphs: one code fewer. A face of colour bitmaps is
    // written as a Type 3 font, whose codes are single bytes.
    //
    // A code's glyph may be one of the clusters' (GlyphClusters), which
    // the font's program draws as a composite of their glyphs.
    explicit EmbeddedFont(const FontFace& face,
                          std::shared_ptr<const GlyphClusters> clusters = nullptr)
        : face_(&face),
          clusters_(std::move(clusters)),
          maxCodes_(face.outlines() == FontOutlines::cff             ? kMaxCodes - 1
                    : face.outlines() == FontOutlines::colourBitmaps ? 0xFF
                                                                     : kMaxCodes) {}

    const FontFace& face() const { return *face_; }
    // The clusters its codes' glyphs may be; null when there are none.
    const GlyphClusters* clusters() const { return clusters_.get(); }

    // How many bytes a code takes in the document's strings: 2, or 1 for a
    // face of colour bitmaps.
    int codeBytes() const { return face_->outlines() == FontOutlines::colourBitmaps ? 1 : 2; }

    // The next code, for a glyph showing a text with the advance width
    // (thousandths of the font size); 0 when the font has no code left.
    std::uint16_t add(GlyphId glyph, std::u32string_view text, int width);

    std::size_t codeCount() const { return textLengths_.size(); }
    bool full() const { return codeCount() >= maxCodes_; }

    // A code's meaning; code is from 1 to codeCount().
    GlyphId glyph(std::uint16_t code) const;
    int width(std::uint16_t code) const;
    // Its text as UTF-8 (see compact_text.h), and as characters.
    std::string_view textBytes(std::uint16_t code) const;
    std::u32string text(std::uint16_t code) const;

  private:
    const FontFace* face_;
    std::shared_ptr<const GlyphClusters> clusters_;
    std::size_t maxCodes_;
    // Per code: the glyph in the high 16 bits and the width in the low 16,
    // or kUnusual for a pair that does not fit, kept in unusual_.
    std::vector<std::uint32_t> glyphWidths_;
    static constexpr std::uint32_t kUnusual = 0xFFFFFFFF;
    std::unordered_map<std::uint16_t, std::pair<GlyphId, int>> unusual_;
    // The texts one after the other; each one's length in bytes (kLong for
    // one of kLong bytes or more, kept in longLengths_), and where the texts
    // of every kBlock codes start.
    std::string texts_;
    std::vector<std::uint8_t> textLengths_;
    static constexpr std::uint8_t kLong = 0xFF;
    std::unordered_map<std::uint16_t, std::uint32_t> longLengths_;
    static constexpr std::size_t kBlock = 16;
    std::vector<std::uint32_t> blockStarts_;

    std::uint32_t textLength(std::size_t index) const;
};

}  // namespace leafwright
