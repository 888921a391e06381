#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line_run_handler.h"
#include "cli/commands.h"
#include "core/platform/file_error.h"
#include "core/plustools/unspool_run.h"

namespace leafwright::cli {

namespace {

void printUnspoolHelp() {
    std::cout << "Usage: leafwright-cli unspool [--force] FILE...\n"
                 "\n"
                 "Extracts the text of each uncompressed PDF FILE into a text file beside\n"
                 "it, named by the source path with its last three characters replaced by\n"
                 "\"txt\" (report.pdf -> report.txt). The literal strings inside the text\n"
                 "objects are copied out, one output line per string, each ended by CR LF;\n"
                 "characters from the PDF's Mac OS Roman encoding come out in UTF-8.\n"
                 "A FILE whose text file would be the FILE itself is refused.\n"
                 "\n"
                 "Options:\n"
                 "  --force      replace text files that already exist (default: skip them)\n"
                 "  -h, --help   show this help\n"
                 "  --           end of options: every later argument is a FILE\n"
                 "\n"
                 "Standard input is not supported: \"-\" is refused; name a file called \"-\"\n"
                 "as ./- instead.\n"
                 "\n"
                 "Each written text file's path is printed on standard output, one per line;\n"
                 "messages go to standard error as \"leafwright-cli: FILE: cause\".\n"
                 "A file that fails does not stop the others.\n"
                 "\n"
                 "Exit status:\n"
                 "  0  every FILE was extracted\n"
                 "  1  a FILE was skipped (its text file exists) or failed\n"
                 "  2  usage error (nothing extracted)\n";
}

struct UnspoolOptions {
    bool help = false;
    bool force = false;
    std::vector<std::string> files;
    std::string error;  // why the arguments cannot be used; empty when they can
};

// Options may stand anywhere before "--"; after it every argument is a file.
UnspoolOptions parseUnspoolOptions(const std::vector<std::string>& args) {
    UnspoolOptions options;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (arg.empty()) {
            options.error = kEmptyFileName;
            return options;
        } else if (optionsEnded || arg.front() != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "-") {
            options.error = "-: reading standard input is not supported";
            return options;
        } else {
            options.error = "unspool: unknown option '" + arg + "'";
            return options;
        }
    }
    return options;
}


}  // namespace

int runUnspool(const std::vector<std::string>& args) {
    const UnspoolOptions options = parseUnspoolOptions(args);
    if (!options.error.empty()) {
        printError(options.error + " (try 'leafwright-cli unspool --help')");
        return kExitUsage;
    }
    if (options.help) {
        printUnspoolHelp();
        return kExitOk;
    }
    if (options.files.empty()) {
        printError("no FILE to extract (try 'leafwright-cli unspool --help')");
        return kExitUsage;
    }

    return runFilesFromCommandLine(options.force, "extracting", [&](FileRunHandler& handler) {
        unspoolFiles(options.files, handler);
    });
}

}  // namespace leafwright::cli
