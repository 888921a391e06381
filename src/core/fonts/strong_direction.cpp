#include "core/fonts/strong_direction.h"

#include <fribidi.h>

namespace leafwright {

bool isStrongLeftToRight(char32_t character) {
    return fribidi_get_bidi_type(static_cast<FriBidiChar>(character)) == FRIBIDI_TYPE_LTR;
}

}  // namespace leafwright
