#include "core/pdf/text_area.h"

namespace leafwright {

TextArea textArea(const ConversionSettings& s) {
    return TextArea{static_cast<double>(s.leftMarginValue),
                    static_cast<double>(s.pageWidthValue) - 2.0 * s.leftMarginValue};
}

}  // namespace leafwright
