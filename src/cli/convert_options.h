#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/more_setting_options.h"
#include "cli/run_options.h"

namespace leafwright::cli {

// What the arguments of `leafwright-cli convert` ask for.
struct ConvertOptions {
    bool help = false;
    RunOptions run;
    std::optional<std::string> configPath;
    std::optional<std::string> outputDir;
    std::string title;
    std::string author;
    std::string subject;
    std::string keywords;
    std::optional<std::string> creator;  // unset: the start-up producer text
    std::optional<std::string> fontFile;
    std::optional<std::string> combine;             // --combine OUT.pdf: one PDF of every FILE
    std::vector<SettingOverride> settingOverrides;  // in the order given
    std::vector<std::string> files;                 // "-" is standard input
};

// The outcome of reading the arguments: the options, or the reason they
// cannot be used (empty when they can).
struct ParsedConvertOptions {
    ConvertOptions options;
    std::string error;
};

// Reads the arguments after "convert". Options may stand anywhere before
// "--"; values come as "--title T" or "--title=T"; the last of a repeated
// option wins. "--" makes every later argument a file name.
ParsedConvertOptions parseConvertOptions(const std::vector<std::string>& args);

}  // namespace leafwright::cli
