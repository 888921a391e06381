#pragma once

#include <string>

#include "core/settings/conversion_settings.h"

namespace leafwright {

inline constexpr const char* kLastConfigName = "last.tcf";
inline constexpr const char* kDefaultConfigName = "default.tcf";

// The twelve values of a freshly created default.tcf.
ChosenValues defaultConfigValues();

// Reads the twelve lines of a configuration file (LF or CR LF line ends,
// missing lines empty, flags on exactly for "TRUE"). The document
// information is left empty. Throws FileError when it cannot be read.
ChosenValues readConfigFile(const std::string& path);

// Writes the twelve values, each ended by CR LF, flags as "TRUE"/"FALSE".
// Replaces an existing file safely. Throws FileError.
void writeConfigFile(const std::string& path, const ChosenValues& values);

// Creates last.tcf and then default.tcf in the folder with the default
// values, each only when a search for its exact name finds nothing.
void createMissingConfigFiles(const std::string& folder);

// Appends ".tcf" unless the path already ends in exactly ".tcf".
std::string completeSaveName(const std::string& path);

}  // namespace leafwright
