#include "core/fonts/strong_direction.h"

#include <fribidi.h>

namespace leafwright {

bool isStrongLeftToRight(char32_t character) {
    return fribidi_get_bidi_type(static_cast<FriBidiChar>(character)) == FRIBIDI_TYPE_LTR;
}

bool isStrongRightToLeft(char32_t character) {
    const FriBidiCharType type = fribidi_get_bidi_type(static_cast<FriBidiChar>(character));
    return type == FRIBIDI_TYPE_RTL || type == FRIBIDI_TYPE_AL;
}

}  // namespace leafwright
