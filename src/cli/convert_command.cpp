#include <exception>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/convert_options.h"
#include "cli/file_command.h"
#include "cli/terminal_name.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "core/settings/conversion_settings.h"
#include "core/settings/derivation.h"
#include "core/settings/messages.h"
#include "core/settings/pick_lists.h"
#include "core/settings/settings_refusal.h"
#include "core/settings/window_rules.h"

namespace leafwright::cli {

namespace {

void printConvertHelp() {
    std::cout << "Usage: leafwright-cli convert [OPTIONS] FILE...\n"
                 "       leafwright-cli convert [OPTIONS] --files-from LIST [FILE...]\n"
                 "       leafwright-cli convert [OPTIONS] - -o OUT.pdf   (or -o - for stdout)\n"
                 "\n"
                 "Turns each text FILE into a PDF 1.3 document. The PDF's name is the\n"
                 "source path with its last three characters replaced by \"pdf\"\n"
                 "(notes.txt -> notes.pdf), beside the source unless --output-dir or -o\n"
                 "is given. Sources are read as UTF-8 when they are valid UTF-8, otherwise\n"
                 "as Windows-1252. A text whose characters all have a Mac OS Roman code and\n"
                 "that holds no tab is written with the standard PDF font, as always; any\n"
                 "other character is drawn from embedded subsets of free fonts (Liberation\n"
                 "for Times, Helvetica and Courier, other installed TrueType faces for what\n"
                 "they lack). A character no installed font has prints as \"?\", and the\n"
                 "file gets the warning \"N characters could not be printed (shown as ?)\".\n"
                 "A tab moves to the next stop, every "
              << kSpacesPerTabStop
              << " spaces from the line's start.\n"
                 "\n"
                 "Options:\n"
                 "  --config FILE.tcf   take the settings from a configuration file (twelve\n"
                 "                      lines: page style, font, size, colours, rotation,\n"
                 "                      margins, landscape, folder, self-adapting page);\n"
                 "                      without it the start-up settings are used (A4\n"
                 "                      portrait, margins 36, Times-Roman 14, black on white)\n"
                 "  --output-dir DIR    write the PDFs into the existing folder DIR\n"
                 "  --title T           document title\n"
                 "  --author A          document author\n"
                 "  --subject S         document subject\n"
                 "  --keywords K        document keywords\n"
                 "  --creator C         document producer (default: the program's own name;\n"
                 "                      an empty C leaves it empty)\n"
                 "  --force             replace PDFs that already exist (default: skip them)\n"
              << runOptionsHelp("PDF")
              << "  -h, --help          show this help\n"
                 "  --                  end of options: every later argument is a FILE\n"
                 "\n"
                 "An option's value may also be given as --title=T.\n"
                 "The FILE \"-\" is standard input (it needs -o); a file called \"-\" is\n"
                 "named ./- instead. Standard input is first copied to a file without a\n"
                 "name under $TMPDIR, which no signal (SIGKILL included) leaves behind.\n"
                 "\n"
                 "Each written PDF's path is printed on standard output, one per line\n"
                 "(with -o - standard output carries only the document); messages go to\n"
                 "standard error as \"leafwright-cli: FILE: cause\".\n"
                 "A file that fails does not stop the others.\n"
                 "\n"
                 "Exit status:\n"
                 "  0  every FILE was converted (or, with --skip-existing, its PDF exists)\n"
                 "  1  a FILE was skipped (its PDF exists) or failed\n"
                 "  2  usage error or rejected settings (nothing converted)\n";
}

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

// Fills the settings as a confirmed settings window would: the twelve values
// of the configuration file (or the defaults, which derive to exactly the
// start-up settings), the document information and folder from the options.
// Returns the exit status for a rejection, or kExitOk.
int prepareSettings(const ConvertOptions& options, ConversionSettings& settings) {
    ChosenValues chosen;
    if (options.configPath) {
        try {
            chosen = readConfigFile(*options.configPath);
        } catch (const std::exception& exception) {
            // Settings that cannot be read are rejected settings, whatever
            // stopped the reading (memory running out on a huge line, say).
            const FileError error = FileError::fromException(*options.configPath, exception);
            printError(terminalName(error.path()) + ": " + error.cause());
            return kExitUsage;
        }
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

}  // namespace

int runConvert(const std::vector<std::string>& args) {
    const ParsedConvertOptions parsed = parseConvertOptions(args);
    const ConvertOptions& options = parsed.options;
    if (!parsed.error.empty()) {
        printError(parsed.error + " (try 'leafwright-cli convert --help')");
        return kExitUsage;
    }
    if (options.help) {
        printConvertHelp();
        return kExitOk;
    }
    if (const std::string problem =
            runOptionsProblem(options.run, options.files, options.outputDir.has_value());
        !problem.empty()) {
        printError(problem + " (try 'leafwright-cli convert --help')");
        return kExitUsage;
    }
    if (options.configPath && *options.configPath == "-") {
        printError("-: reading settings from standard input is not supported");
        return kExitUsage;
    }

    ConversionSettings settings;
    if (int status = prepareSettings(options, settings); status != kExitOk) return status;
    FileCommand command;
    command.activity = "converting";
    command.outputExtension = "pdf";
    command.makeSteps = [&settings](unsigned threadsPerFile) {
        // Each job works on its own copy of the settings (the self-adapting
        // layout stores the page size it computes into them).
        auto own = std::make_shared<ConversionSettings>(settings);
        // Both steps refer to that copy, so each keeps it alive.
        SourceThreads threads;
        threads.threads = threadsPerFile;
        FileRunSteps steps = conversionSteps(*own, threads);
        steps.outputPathOf = [own, name = steps.outputPathOf](const std::string& source) {
            return name(source);
        };
        steps.convertOne = [own, convert = steps.convertOne](const std::string& source,
                                                             const std::string& output,
                                                             const ReplaceQuestion& mayReplace) {
            return convert(source, output, mayReplace);
        };
        return steps;
    };
    return runFileCommand(options.run, options.files, command);
}

}  // namespace leafwright::cli
