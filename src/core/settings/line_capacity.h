#pragma once

#include <cstdint>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Rows a fixed page has: trunc((pageHeightValue - topMarginValue) /
// leadingValue) - 1. Zero or less when no row fits.
std::int64_t pageRows(const ConversionSettings& settings);

// Rows of a header and a footer: each takes one row of the page.
int furnitureRows(const ConversionSettings& settings);

// Lines of the source a fixed page shows: its rows less those of its header
// and footer. Zero or less when no line fits. Every count of lines a page
// holds goes through here.
std::int64_t lineCapacity(const ConversionSettings& settings);

}  // namespace leafwright
