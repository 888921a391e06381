#pragma once

#include <hb.h>

#include <initializer_list>
#include <mutex>

#include "core/fonts/font_face.h"

namespace leafwright {

// The HarfBuzz font a face is shaped with.
class ShapingFont {
  public:
    explicit ShapingFont(const FontFace& face);
    ~ShapingFont() { hb_font_destroy(font_); }
    ShapingFont(const ShapingFont&) = delete;
    ShapingFont& operator=(const ShapingFont&) = delete;

    hb_font_t* font() const { return font_; }
    double thousandths(hb_position_t fontUnits) const { return fontUnits * 1000.0 / unitsPerEm_; }

    // Whether the space takes part in none of the face's substitutions and
    // positionings (no lookup names its glyph, no kerning table or Apple
    // layout table applies), so that the words of a run between spaces can
    // be shaped one at a time to the same glyphs. Found at the first call;
    // the calls of several threads may meet.
    bool spaceStandsAlone() const;

  private:
    hb_font_t* font_ = nullptr;
    unsigned unitsPerEm_ = 1000;
    mutable std::once_flag spaceChecked_;
    mutable bool spaceStandsAlone_ = false;
};

}  // namespace leafwright
