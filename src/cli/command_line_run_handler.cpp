#include "cli/command_line_run_handler.h"

#include "cli/commands.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"

namespace leafwright::cli {

const std::string& CommandLineRunHandler::shown(const std::string& path) const {
    const auto found = how_.shownNames.find(path);
    return found == how_.shownNames.end() ? path : found->second;
}

void CommandLineRunHandler::converted(const std::string&, const std::string& outputPath) {
    noteConverted();
    if (how_.printPaths) printOutputLine(terminalName(shown(outputPath)));
}

void CommandLineRunHandler::convertedWithFacts(const std::string& sourcePath,
                                               const std::string& outputPath,
                                               const FileRunFacts& facts) {
    if (facts.parts.empty()) {
        FileRunHandler::convertedWithFacts(sourcePath, outputPath, facts);
        return;
    }
    noteConverted();
    if (how_.printPaths)
        for (const std::string& part : facts.parts) printOutputLine(terminalName(shown(part)));
    if (!facts.warning.empty()) warned(sourcePath, facts.warning);
}

void CommandLineRunHandler::declined(const std::string& sourcePath, const std::string& outputPath) {
    // With --skip-existing an existing output is the work of an earlier run:
    // done, and nothing to say.
    if (how_.skipExisting) return;
    printError(terminalName(shown(sourcePath)) + ": skipped, " + terminalName(shown(outputPath)) +
               kAlreadyExists);
    noteNotDone();
}

bool CommandLineRunHandler::failed(const std::string& sourcePath, const FileError& error) {
    printError(failureText(sourcePath, error, terminalName));
    noteNotDone();
    return true;
}

void CommandLineRunHandler::warned(const std::string& sourcePath, const std::string& message) {
    printError(terminalName(shown(sourcePath)) + ": " + message);
}

}  // namespace leafwright::cli
