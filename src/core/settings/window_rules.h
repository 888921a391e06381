#pragma once

#include <cstddef>
#include <string>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// The rules by which the settings window takes the values of a configuration
// file, kept here so that every front end reads a file alike. (The pick-list
// match is in pick_lists.h.)

// A margin field holds at most this many characters; the window takes no
// longer margin from the user or from a file.
inline constexpr std::size_t kMarginFieldLength = 4;

// With "Customize" off the folder is held at "Default Path", whatever the
// file's folder line says.
void applyFolderRule(ChosenValues& values);

// A folder as a search pattern that finds exactly that folder: the
// characters the search takes as wildcards are escaped, and a trailing "/"
// (which would make the search find nothing) is dropped.
std::string exactSearchPattern(std::string folder);

}  // namespace leafwright
