#pragma once

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Settings that pass the derivation may still convert nothing: on fixed
// pages a top margin that leaves no room for a line fails every file. Both
// front ends refuse such settings when the user accepts them, before any
// file, rather than fail each file of a run (after its overwrite question).
inline constexpr const char* kNoLineFitsText = "No line fits on the page.";

// Why derived settings are refused, or nullptr when they can convert: on
// fixed pages (self-adaptation off) at least one line must fit. The
// self-adapting page grows to its text, so it always has room.
const char* settingsRefusal(const ConversionSettings& settings);

}  // namespace leafwright
