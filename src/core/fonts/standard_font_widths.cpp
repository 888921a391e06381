#include "core/fonts/standard_font_widths.h"

namespace leafwright {

const StandardFontWidths* standardFontWidths(std::string_view baseFont) {
    for (const StandardFontWidths& font : kStandardFontWidths)
        if (baseFont == font.baseFont) return &font;
    return nullptr;
}

}  // namespace leafwright
