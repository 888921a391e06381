#include "command_line_run_handler.h"

#include <exception>
#include <iostream>

#include "commands.h"

namespace leafwright::cli {

void CommandLineRunHandler::converted(const std::string&, const std::string& outputPath) {
    std::cout << outputPath << '\n';
}

void CommandLineRunHandler::declined(const std::string& sourcePath,
                                     const std::string& outputPath) {
    printError(sourcePath + ": skipped, " + outputPath + " already exists (--force replaces it)");
    allDone_ = false;
}

bool CommandLineRunHandler::failed(const std::string& sourcePath, const FileError& error) {
    // The error names the file it concerns (the source or its output); say
    // which source it belongs to when that is another file.
    std::string text = error.path() + ": " + error.cause();
    if (error.path() != sourcePath) text += " (" + activity_ + " " + sourcePath + ")";
    printError(text);
    allDone_ = false;
    return true;
}

void CommandLineRunHandler::warned(const std::string& sourcePath, const std::string& message) {
    printError(sourcePath + ": " + message);
}

int runFilesFromCommandLine(bool force, const std::string& activity,
                            const std::function<void(FileRunHandler&)>& run) {
    try {
        CommandLineRunHandler handler(force, activity);
        run(handler);
        std::cout.flush();
        return handler.allDone() ? kExitOk : kExitSomeFailed;
    } catch (const std::exception& error) {
        std::cout.flush();
        printError(error.what());
        return kExitSomeFailed;
    }
}

}  // namespace leafwright::cli
