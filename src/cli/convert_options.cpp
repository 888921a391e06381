#include "cli/convert_options.h"

#include <string_view>

#include "cli/commands.h"

namespace leafwright::cli {

namespace {

// Options that take a value, and where each value goes.
std::string* valueSlot(ConvertOptions& options, std::string_view name) {
    if (name == "--title") return &options.title;
    if (name == "--author") return &options.author;
    if (name == "--subject") return &options.subject;
    if (name == "--keywords") return &options.keywords;
    return nullptr;
}

std::optional<std::string>* optionalValueSlot(ConvertOptions& options, std::string_view name) {
    if (name == "--config") return &options.configPath;
    if (name == "--output-dir") return &options.outputDir;
    if (name == "--creator") return &options.creator;
    if (name == "--font-file") return &options.fontFile;
    if (name == "--combine") return &options.combine;
    return nullptr;
}

}  // namespace

ParsedConvertOptions parseConvertOptions(const std::vector<std::string>& args) {
    ParsedConvertOptions parsed;
    ConvertOptions& options = parsed.options;
    bool optionsEnded = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-" is standard input, also after "--"; a file called "-" is ./-.
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            if (arg.empty()) {
                parsed.error = kEmptyFileName;
                return parsed;
            }
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (readRunOption(args, i, options.run, parsed.error) ||
            readMoreSettingOption(args, i, options.settingOverrides, parsed.error)) {
            if (!parsed.error.empty()) return parsed;
            continue;
        }

        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::string* slot = valueSlot(options, name);
        std::optional<std::string>* optionalSlot = optionalValueSlot(options, name);
        if (slot == nullptr && optionalSlot == nullptr) {
            parsed.error = name == "--force" || name == "--help" || name == "--json" ||
                                   name == "--skip-existing" || name == "--null"
                               ? "option '" + name + "' takes no value"
                               : "unknown option '" + arg + "'";
            return parsed;
        }

        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parsed.error = "option '" + name + "' needs a value";
            return parsed;
        }
        if (slot != nullptr) {
            *slot = value;
        } else if (value.empty() && name != "--creator") {
            parsed.error = name + ": " + kEmptyFileName;
            return parsed;
        } else {
            *optionalSlot = value;
        }
    }
    return parsed;
}

}  // namespace leafwright::cli
