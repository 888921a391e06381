#include "core/fonts/embeddable_format.h"

namespace leafwright {

bool embeddableFontFormat(std::string_view format) {
    return format == "TrueType" || format == "CFF";
}

}  // namespace leafwright
