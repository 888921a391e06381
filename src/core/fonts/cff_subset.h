#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_face.h"

namespace leafwright {

namespace cff {
struct CffProgram;
class GlyphWalks;
}  // namespace cff

// Cuts a CFF font program (the bare 'CFF ' table of an OpenType face) down
// to some glyphs. The program is read once, so that a face subset for one
// document after another pays only for the glyphs each uses. A subset holds
// only the subroutines its glyphs call, global and local, numbered anew,
// and only the font dictionaries they use; the charstrings, hints included,
// are kept byte for byte but for the numbers of the subroutines they call.
// Which subroutines each glyph reaches is found once and kept for the
// following subsets, up to keptWalkBytes of room (none kept when 0); the
// subsets are the same with or without. Safe to use from several threads at
// once.
class CffSubsetter {
  public:
    // The walks of some 7,500 glyphs of a CJK face (about 530 bytes each).
    static constexpr std::size_t kKeptWalkBytes = std::size_t{4} << 20;

    // Throws std::runtime_error when the program is not a CFF it can read.
    // The bytes must outlive the subsetter.
    explicit CffSubsetter(std::string_view cff, std::size_t keptWalkBytes = kKeptWalkBytes);
    ~CffSubsetter();
    CffSubsetter(const CffSubsetter&) = delete;
    CffSubsetter& operator=(const CffSubsetter&) = delete;

    // A CID-keyed program whose glyph n draws as the program's glyph
    // glyphs[n]; glyph 0 draws nothing, whatever glyphs[0] is. Throws
    // std::runtime_error when a glyph is beyond the program's or a
    // charstring is one it cannot follow: a malformed one, subroutines
    // nested deeper than the ten levels Type 2 allows, operators that
    // compute (a subroutine's number must be written before its call), an
    // accented character made of two others, or one whose drawing takes
    // unreasonably long.
    std::string subset(const std::vector<GlyphId>& glyphs) const;

    // The room the walks kept so far take.
    std::size_t keptWalkBytes() const;

  private:
    std::unique_ptr<const cff::CffProgram> program_;
    std::unique_ptr<cff::GlyphWalks> walks_;
};

}  // namespace leafwright
