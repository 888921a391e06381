#pragma once

#include <cstdint>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Lines a fixed page shows: trunc((pageHeightValue - topMarginValue) /
// leadingValue) - 1. Zero or less when no line fits.
std::int64_t lineCapacity(const ConversionSettings& settings);

}  // namespace leafwright
