#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/standard_output.h"
#include "core/platform/signal_cleanup.h"
#include "core/platform/standard_descriptors.h"
#include "core/platform/write_limits.h"
#include "core/settings/product_info.h"
#include "core/version.h"

namespace {

void printUsage(std::ostream& out) {
    out << "Usage: leafwright-cli COMMAND [OPTIONS] FILE...\n"
           "\n"
           "Commands:\n"
           "  convert   turn text files into PDF 1.3 documents\n"
           "  unspool   extract the text of PDF files into .txt files\n"
           "\n"
           "  leafwright-cli COMMAND --help   describes a command\n"
           "  leafwright-cli -h, --help       shows this help\n"
           "  leafwright-cli --version        prints the version\n"
           "\n"
           "Each file written is printed on standard output; messages go to standard\n"
           "error as \"leafwright-cli: FILE: cause\". \"-\" with -o is standard input\n"
           "(\"leafwright-cli convert - -o - < notes.txt > notes.pdf\"); --files-from, -j,\n"
           "--shard, --skip-existing and --json serve large batches.\n"
           "\n"
           "Exit status: 0 when every file was done, 1 when any file was skipped or\n"
           "failed, 2 for a usage or settings error.\n"
           "\n"
           "The manual page leafwright-cli(1) has the details and examples.\n";
}

int runCommandLine(const std::vector<std::string>& args) {
    if (args.empty()) {
        printUsage(std::cerr);
        return leafwright::cli::kExitUsage;
    }
    const std::string command = args.front();
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") {
        printUsage(std::cout);
        return leafwright::cli::kExitOk;
    }
    if (command == "--version") {
        std::cout << "leafwright-cli " << leafwright::version::kShown << "\n";
        return leafwright::cli::kExitOk;
    }
    try {
        if (command == "convert") return leafwright::cli::runConvert(rest);
        if (command == "unspool") return leafwright::cli::runUnspool(rest);
    } catch (const std::exception& error) {
        // Nothing a command lets through (running out of memory, say) may end
        // the program without a word.
        leafwright::cli::printError(error.what());
        return leafwright::cli::kExitSomeFailed;
    }
    leafwright::cli::printError("unknown command '" + command + "' (try --help)");
    return leafwright::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    leafwright::holdClosedStandardDescriptors();
    leafwright::failWritesPastFileSizeLimit();
    leafwright::removeTemporaryFilesOnSignals();
    int status = runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    // The paths on standard output are what a script goes on with: losing
    // them is a failure, not a success.
    if (const std::string cause = leafwright::cli::standardOutputFailure(); !cause.empty()) {
        leafwright::cli::printError("standard output: " + cause);
        if (status == leafwright::cli::kExitOk) status = leafwright::cli::kExitSomeFailed;
    }
    return status;
}
