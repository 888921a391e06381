#include "cli/command_line_run_handler.h"

#include <exception>

#include "cli/commands.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"

namespace leafwright::cli {

void CommandLineRunHandler::converted(const std::string&, const std::string& outputPath) {
    printOutputLine(terminalName(outputPath));
}

void CommandLineRunHandler::declined(const std::string& sourcePath,
                                     const std::string& outputPath) {
    printError(terminalName(sourcePath) + ": skipped, " + terminalName(outputPath) +
               " already exists (--force replaces it)");
    allDone_ = false;
}

bool CommandLineRunHandler::failed(const std::string& sourcePath, const FileError& error) {
    // The error names the file it concerns (the source or its output); say
    // which source it belongs to when that is another file.
    std::string text = terminalName(error.path()) + ": " + error.cause();
    if (error.path() != sourcePath) text += " (" + activity_ + " " + terminalName(sourcePath) + ")";
    printError(text);
    allDone_ = false;
    return true;
}

void CommandLineRunHandler::warned(const std::string& sourcePath, const std::string& message) {
    printError(terminalName(sourcePath) + ": " + message);
}

int runFilesFromCommandLine(bool force, const std::string& activity,
                            const std::function<void(FileRunHandler&)>& run) {
    try {
        CommandLineRunHandler handler(force, activity);
        run(handler);
        flushStandardOutput();
        return handler.allDone() ? kExitOk : kExitSomeFailed;
    } catch (const std::exception& error) {
        flushStandardOutput();
        printError(error.what());
        return kExitSomeFailed;
    }
}

}  // namespace leafwright::cli
