#include "core/settings/line_capacity.h"

#include <algorithm>

namespace leafwright {

std::int64_t lineCapacity(const ConversionSettings& s) {
    if (!(s.leadingValue > 0)) return 0;
    int usable = s.pageHeightValue - s.topMarginValue;
    double fitting = static_cast<double>(usable) / s.leadingValue;
    // Clamp before converting, which is undefined beyond the integer range.
    fitting = std::clamp(fitting, -1.0, 1e15);
    return static_cast<std::int64_t>(fitting) - 1;
}

}  // namespace leafwright
