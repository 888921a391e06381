#pragma once

#include <string>
#include <vector>

#include "core/settings/more_settings.h"

namespace leafwright::cli {

// A setting beyond the twelve lines of a configuration file, as given on the
// command line; it overrides the file's value.
struct SettingOverride {
    std::string name;
    std::string value;
};

// Reads the option at args[i] when it names such a setting: "--NAME=VALUE"
// or "--NAME VALUE", and for the settings that are flags "--NAME" alone
// (TRUE) as well. Moves i past its value. Returns false when args[i] is no
// such option; sets error when it is one whose value is missing or refused,
// so that a bad value stops the command before any file.
bool readMoreSettingOption(const std::vector<std::string>& args, std::size_t& i,
                           std::vector<SettingOverride>& overrides, std::string& error);

// Puts the overrides into the settings, in order (the last of a repeated
// option wins). Each was checked when it was read.
void applyOverrides(const std::vector<SettingOverride>& overrides, MoreSettings& settings);

// The help lines of these options.
std::string moreSettingOptionsHelp();

}  // namespace leafwright::cli
