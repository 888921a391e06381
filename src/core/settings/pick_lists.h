#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Which entry a pick list selects for a value, in the window and for the
// command line alike: the first entry that begins with the value, ignoring
// the letter case of ASCII letters (every entry is ASCII, so no other
// folding could match more); nullopt when no entry does. (An empty value
// begins every entry.)
std::optional<std::size_t> pickListIndex(std::span<const std::string_view> entries,
                                         std::string_view value);

// The text of that entry; empty when no entry begins with the value.
std::string pickListEntry(std::span<const std::string_view> entries, std::string_view value);

// The six list values of a configuration (page style, font, font size, the
// two colours, rotation) as the settings window's pick lists show them for a
// fresh window, so that every front end reads a configuration file alike.
ChosenValues asShownInPickLists(ChosenValues values);

}  // namespace leafwright
