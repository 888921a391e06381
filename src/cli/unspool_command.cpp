#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/run_options.h"
#include "core/platform/file_error.h"
#include "core/plustools/unspool_run.h"

namespace leafwright::cli {

namespace {

void printUnspoolHelp() {
    std::cout << "Usage: leafwright-cli unspool [--force] FILE...\n"
                 "       leafwright-cli unspool [OPTIONS] FILE...\n"
                 "       leafwright-cli unspool [OPTIONS] --files-from LIST [FILE...]\n"
                 "       leafwright-cli unspool [OPTIONS] - -o OUT.txt   (or -o - for stdout)\n"
                 "\n"
                 "Extracts the text of each uncompressed PDF FILE into a text file beside\n"
                 "it, named by the source path with its last three characters replaced by\n"
                 "\"txt\" (report.pdf -> report.txt). The literal strings inside the text\n"
                 "objects are copied out, one output line per string, each ended by CR LF;\n"
                 "characters from the PDF's Mac OS Roman encoding come out in UTF-8.\n"
                 "A FILE whose text file would be the FILE itself is refused.\n"
                 "\n"
                 "Options:\n"
                 "  --force             replace text files that already exist (default: skip)\n"
              << runOptionsHelp("text file")
              << "  -h, --help          show this help\n"
                 "  --                  end of options: every later argument is a FILE\n"
                 "\n"
                 "The FILE \"-\" is standard input (it needs -o); a file called \"-\" is\n"
                 "named ./- instead. Standard input is first copied to a private file\n"
                 "under $TMPDIR, removed at exit.\n"
                 "\n"
                 "Each written text file's path is printed on standard output, one per line\n"
                 "(with -o - standard output carries only the text); messages go to\n"
                 "standard error as \"leafwright-cli: FILE: cause\".\n"
                 "A file that fails does not stop the others.\n"
                 "\n"
                 "Exit status:\n"
                 "  0  every FILE was extracted (or, with --skip-existing, its text exists)\n"
                 "  1  a FILE was skipped (its text file exists) or failed\n"
                 "  2  usage error (nothing extracted)\n";
}

struct UnspoolOptions {
    bool help = false;
    RunOptions run;
    std::vector<std::string> files;  // "-" is standard input
    std::string error;               // why the arguments cannot be used; empty when they can
};

// Options may stand anywhere before "--"; after it every argument is a file.
UnspoolOptions parseUnspoolOptions(const std::vector<std::string>& args) {
    UnspoolOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty()) {
            options.error = kEmptyFileName;
            return options;
        } else if (optionsEnded || arg.front() != '-' || arg == "-") {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (readRunOption(args, i, options.run, options.error)) {
            if (!options.error.empty()) return options;
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
    if (const std::string problem = runOptionsProblem(options.run, options.files, false);
        !problem.empty()) {
        printError(problem + " (try 'leafwright-cli unspool --help')");
        return kExitUsage;
    }

    FileCommand command;
    command.activity = "extracting";
    command.outputExtension = "txt";
    command.makeSteps = [](unsigned) { return unspoolSteps(); };
    return runFileCommand(options.run, options.files, command);
}

}  // namespace leafwright::cli
