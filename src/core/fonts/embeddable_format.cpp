#include "core/fonts/embeddable_format.h"

namespace leafwright {

bool isEmbeddableFontFormat(std::string_view fontconfigFormat, bool colour) {
    return !colour && (fontconfigFormat == "TrueType" || fontconfigFormat == "CFF");
}

}  // namespace leafwright
