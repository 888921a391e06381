#include "core/settings/line_capacity.h"

#include <algorithm>

namespace leafwright {

std::int64_t pageRows(const ConversionSettings& s) {
    if (!(s.leadingValue > 0)) return 0;
    int usable = s.pageHeightValue - s.topMarginValue;
    double fitting = static_cast<double>(usable) / s.leadingValue;
    // Clamp before converting, which is undefined beyond the integer range.
    fitting = std::clamp(fitting, -1.0, 1e15);
    return static_cast<std::int64_t>(fitting) - 1;
}

int furnitureRows(const ConversionSettings& s) {
    return (s.chosen.more.header.empty() ? 0 : 1) + (s.chosen.more.footer.empty() ? 0 : 1);
}

std::int64_t lineCapacity(const ConversionSettings& s) {
    return pageRows(s) - furnitureRows(s);
}

}  // namespace leafwright
