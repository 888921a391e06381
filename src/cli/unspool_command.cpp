#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/run_options.h"
#include "core/platform/file_error.h"
#include "core/platform/file_search.h"
#include "core/plustools/unspool_run.h"

namespace leafwright::cli {

namespace {

void printUnspoolHelp() {
    std::cout << "Usage: leafwright-cli unspool [--force] FILE...\n"
                 "       leafwright-cli unspool [OPTIONS] FILE...\n"
                 "       leafwright-cli unspool [OPTIONS] --files-from LIST [FILE...]\n"
                 "       leafwright-cli unspool [OPTIONS] - -o OUT.txt   (or -o - for stdout)\n"
                 "       leafwright-cli unspool --split [-o DIR] [OPTIONS] FILE...\n"
                 "\n"
                 "Extracts the text of each PDF FILE into a text file beside it, named by\n"
                 "the file name with its last three characters replaced by \"txt\"\n"
                 "(report.pdf -> report.txt; a shorter name gets \".txt\" added). Every\n"
                 "string shown inside a text object (literal or hex) is copied out; the\n"
                 "strings of one line of the page content join one output line, and each\n"
                 "output line ends with CR LF.\n"
                 "A string in a font with a /ToUnicode map is decoded through it; other\n"
                 "strings are read as Mac OS Roman. The text comes out in UTF-8.\n"
                 "Page furniture marked as an artifact (headers, footers, line numbers,\n"
                 "wrap marks) is skipped. The pieces of a wrapped line are joined back\n"
                 "into one line, across pages too, and a form feed comes back where the\n"
                 "content marks one.\n"
                 "Compressed PDFs are read too: page content and maps under FlateDecode\n"
                 "(with or without a PNG predictor), found through the cross-reference\n"
                 "table. A PDF whose objects are in object streams, whose content uses\n"
                 "another filter, or that is encrypted gives a warning naming the reason.\n"
                 "A FILE whose text file would be the FILE itself is refused.\n"
                 "\n"
                 "Options:\n"
                 "  --force             replace text files that already exist (default: skip)\n"
                 "  --split             write one text file per top-level outline item\n"
                 "                      (bookmark), named after its title (\".txt\" added unless\n"
                 "                      it ends in \".txt\"), holding the text of its\n"
                 "                      pages up to the next item's first page; into the\n"
                 "                      PDF's folder, or the existing folder -o DIR\n"
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
                 "A file that fails does not stop the others. With --split, titles that\n"
                 "would leave the folder or name one file twice fail their PDF before\n"
                 "anything is written.\n"
                 "\n"
                 "Exit status:\n"
                 "  0  every FILE was extracted (or, with --skip-existing, its text exists)\n"
                 "  1  a FILE was skipped (its text file exists) or failed\n"
                 "  2  usage error (nothing extracted)\n";
}

struct UnspoolOptions {
    bool help = false;
    bool split = false;
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
        } else if (arg == "--split") {
            options.split = true;
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

    if (options.split) {
        std::string problem;
        if (options.run.skipExisting) {
            problem = "--split cannot be used with --skip-existing";
        } else if (options.run.output && *options.run.output == "-") {
            problem = "--split writes files: -o names their folder, not standard output";
        } else if (options.run.output && entryKind(*options.run.output) != EntryKind::Directory) {
            problem = "--split: -o " + *options.run.output + " is no existing folder";
        }
        if (!problem.empty()) {
            printError(problem + " (try 'leafwright-cli unspool --help')");
            return kExitUsage;
        }
    }

    FileCommand command;
    command.activity = "extracting";
    command.outputExtension = "txt";
    if (options.split) {
        command.makeSteps = [](unsigned threads) {
            return unspoolByOutlineSteps(std::nullopt, threads);
        };
    } else {
        command.makeSteps = [](unsigned threads) { return unspoolSteps(threads); };
    }
    return runFileCommand(options.run, options.files, command);
}

}  // namespace leafwright::cli
