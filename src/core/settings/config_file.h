#pragma once

#include <string>
#include <vector>

#include "core/settings/conversion_settings.h"

namespace leafwright {

inline constexpr const char* kLastConfigName = "last.tcf";
inline constexpr const char* kDefaultConfigName = "default.tcf";

// The twelve values of a freshly created default.tcf.
ChosenValues defaultConfigValues();

// Reads the twelve lines of a configuration file (LF or CR LF line ends,
// missing lines empty, flags on exactly for "TRUE"), then the name=value
// lines after them into `more` (a setting not named keeps its default). The
// document information is left empty. Throws FileError when the file cannot
// be read, and when a line after the twelfth gives a setting a value it does
// not take (the cause names the line and the values it takes). A line whose
// name is unknown is skipped; when `warnings` is given, it gets a text for
// it naming the line and the known names ("line 14: ...").
ChosenValues readConfigFile(const std::string& path, std::vector<std::string>* warnings = nullptr);

// Writes the twelve values, each ended by CR LF, flags as "TRUE"/"FALSE",
// then one "name=value" line for each setting of `more` that is not at its
// default (none for the defaults: such a file is the twelve lines alone).
// Replaces an existing file safely. Throws FileError.
void writeConfigFile(const std::string& path, const ChosenValues& values);

// Creates last.tcf and then default.tcf in the folder with the default
// values, each only when a search for its exact name finds nothing.
void createMissingConfigFiles(const std::string& folder);

// Appends ".tcf" unless the path already ends in exactly ".tcf".
std::string completeSaveName(const std::string& path);

}  // namespace leafwright
