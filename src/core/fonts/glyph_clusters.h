#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "core/fonts/composite_glyphs.h"
#include "core/fonts/font_face.h"

namespace leafwright {

// The glyphs of shaped clusters that a document draws as one glyph each:
// a cluster of several glyphs becomes one code whose text is the whole
// cluster, drawn by a composite glyph made in the embedded program. Text
// extractors then see one glyph carrying the cluster's characters, rather
// than further glyphs that carry none (which some show as U+FFFD) or pieces
// raised with their marks or standing back over their letter (which others
// take for the end of a word).
//
// A cluster stands in a font's codes as a glyph id of its own, from kFirst
// on; its components are placed in thousandths of the em from its origin.
class GlyphClusters {
  public:
    static constexpr GlyphId kFirst = 0x80000000u;
    static bool isCluster(GlyphId glyph) { return glyph >= kFirst; }

    // The id of the cluster of a face's glyphs with its advance (a code
    // keeps the width it was first given), made at its first use; 0 once
    // there are as many as a font could give codes to.
    GlyphId idOf(const FontFace& face, const std::vector<GlyphComponent>& components, int width);

    const std::vector<GlyphComponent>& components(GlyphId cluster) const {
        return clusters_[cluster - kFirst];
    }

  private:
    static constexpr std::size_t kMostClusters = 0x10000;  // bounds the memory they hold
    std::vector<std::vector<GlyphComponent>> clusters_;
    std::unordered_map<std::string, GlyphId> ids_;
    std::string key_;
};

}  // namespace leafwright
