#pragma once

#include <hb.h>

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

  private:
    hb_font_t* font_ = nullptr;
    unsigned unitsPerEm_ = 1000;
};

}  // namespace leafwright
