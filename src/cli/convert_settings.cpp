#include "cli/convert_settings.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/more_setting_options.h"
#include "cli/terminal_name.h"
#include "core/fonts/system_font_provider.h"
#include "core/platform/file_error.h"
#include "core/platform/text_file_reader.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "core/settings/messages.h"
#include "core/settings/pick_lists.h"
#include "core/settings/settings_refusal.h"
#include "core/settings/window_rules.h"

namespace leafwright::cli {

namespace {

// The window picks the font, size and rotation from fixed lists: a file's
// value selects the first entry that begins with it, ignoring case, and a
// value that begins no entry selects nothing. The command line reads the file
// the same way, and refuses a file whose font, size or rotation selects
// nothing, rather than convert with settings the user did not choose.
// Returns the name of the first such line.
const char* unlistedValue(const ChosenValues& shown) {
    if (shown.font.empty()) return "font";
    if (shown.fontSize.empty()) return "font size";
    if (shown.rotation.empty()) return "rotation";
    return nullptr;
}

// Reports rejected settings as "NAME: message", NAME being the file or
// folder they come from (the start-up settings come from none). The
// string-table messages end in blanks meant for a message box; a terminal
// line drops them.
void printSettingsError(const std::optional<std::string>& source, std::string message) {
    while (!message.empty() && message.back() == ' ') message.pop_back();
    printError(source ? terminalName(*source) + ": " + message : message);
}

}  // namespace

int prepareSettings(const ConvertOptions& options, ConversionSettings& settings) {
    ChosenValues chosen;
    if (options.configPath) {
        std::vector<std::string> warnings;
        try {
            chosen = readConfigFile(*options.configPath, &warnings);
        } catch (const std::exception& exception) {
            // Settings that cannot be read are rejected settings, whatever
            // stopped the reading (memory running out on a huge line, say).
            const FileError error = FileError::fromException(*options.configPath, exception);
            printError(terminalName(error.path()) + ": " + error.cause());
            return kExitUsage;
        }
        for (const std::string& warning : warnings)
            printError(terminalName(*options.configPath) + ": " + warning);
        applyFolderRule(chosen);
        // The window will not take a longer margin from the file; the command
        // line refuses it alike, so both accept the same files.
        for (const std::string* margin : {&chosen.topMargin, &chosen.leftMargin}) {
            if (margin->size() > kMarginFieldLength) {
                printError(terminalName(*options.configPath) + ": a margin holds more than " +
                           std::to_string(kMarginFieldLength) + " characters");
                return kExitUsage;
            }
        }
        chosen = asShownInPickLists(chosen);
        if (const char* line = unlistedValue(chosen)) {
            printError(terminalName(*options.configPath) + ": the " + line +
                       " line holds a value not offered");
            return kExitUsage;
        }
    } else {
        chosen = defaultConfigValues();
    }
    applyOverrides(options.settingOverrides, chosen.more);
    if (options.fontFile) {
        // Only its being a file that can be read is known here; whether it
        // holds a font is found when it is used.
        try {
            TextFileReader(*options.fontFile).close();
        } catch (const FileError& error) {
            printError(terminalName(error.path()) + ": " + error.cause());
            return kExitUsage;
        }
        chosen.more.fontFile = *options.fontFile;
    }
    // A family or file that cannot draw documents is refused before any
    // file is converted, rather than failing every file of the run.
    const std::string fontProblem =
        SystemFontProvider::problemWith({chosen.more.fontFamily, chosen.more.fontFile});
    if (!fontProblem.empty()) {
        const std::string& file = chosen.more.fontFile;
        // A family that only the configuration file names is that file's fault.
        const bool familyOfFile =
            file.empty() && options.configPath &&
            std::none_of(options.settingOverrides.begin(), options.settingOverrides.end(),
                         [](const SettingOverride& given) { return given.name == "font-family"; });
        if (familyOfFile)
            printError(terminalName(*options.configPath) + ": " + fontProblem);
        else
            printError(terminalName(file) == file
                           ? fontProblem
                           : terminalName(file) + ": cannot be used as a font");
        return kExitUsage;
    }

    if (options.outputDir) {
        chosen.customFolder = 1;
        // The shell has already expanded any wildcards the user meant.
        chosen.folder = exactSearchPattern(*options.outputDir);
    }
    chosen.title = options.title;
    chosen.author = options.author;
    chosen.subject = options.subject;
    chosen.keywords = options.keywords;
    chosen.creator = options.creator.value_or(ConversionSettings::startUpProducer());

    if (int rejected = deriveSettings(settings, chosen)) {
        // The window shows these messages beside the field at fault; here
        // the file or folder they come from is named instead.
        const bool folderAtFault = rejected == kPathDoesNotExist && options.outputDir;
        printSettingsError(folderAtFault ? options.outputDir : options.configPath,
                           messageText(rejected));
        return kExitUsage;
    }
    if (const char* refusal = settingsRefusal(settings)) {
        printSettingsError(options.configPath, refusal);
        return kExitUsage;
    }
    return kExitOk;
}

}  // namespace leafwright::cli
