#include "core/pdf/text_area.h"

namespace leafwright {

TextArea textArea(const ConversionSettings& s, double gutter) {
    return TextArea{static_cast<double>(s.leftMarginValue) + gutter,
                    static_cast<double>(s.pageWidthValue) - 2.0 * s.leftMarginValue - gutter};
}

}  // namespace leafwright
