#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// What a pick list of these entries shows for a value: the first entry that
// begins with the value, ignoring the letter case of ASCII letters; empty
// when no entry does. (An empty value begins every entry.)
std::string pickListEntry(std::span<const std::string_view> entries, std::string_view value);

// The six list values of a configuration (page style, font, font size, the
// two colours, rotation) as the settings window's pick lists show them for a
// fresh window, so that every front end reads a configuration file alike.
ChosenValues asShownInPickLists(ChosenValues values);

}  // namespace leafwright
