#pragma once

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Computes the derived values of the record from the chosen values, in the
// order of the settings rules: copy, page size and margins (only when
// self-adaptation is off), output folder, document information, font,
// leading and colours.
//
// Returns 0 when accepted, otherwise the number of the message that rejects
// it (5 to 9, see string_table.h). The record is changed in place, so a
// rejection leaves what the steps before it had set; a caller that wants
// all-or-nothing works on a copy.
//
// A relative folder is taken relative to the current folder.
int deriveSettings(ConversionSettings& settings, const ChosenValues& chosen);

}  // namespace leafwright
