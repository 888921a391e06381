#include "cli/file_command.h"

#include <unistd.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

#include "cli/command_line_run_handler.h"
#include "cli/commands.h"
#include "cli/json_run_handler.h"
#include "cli/source_list.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"
#include "core/platform/cpu_count.h"
#include "core/platform/file_error.h"
#include "core/platform/private_temporary_folder.h"
#include "core/run/parallel_file_run.h"

namespace leafwright::cli {

namespace {

// The name standing for standard input or output.
const std::string kStandardStream = "-";

// The run proper; the temporary folder for standard input and output lives
// as long as it.
int runWithStandardStreams(const RunOptions& options, const std::vector<std::string>& files,
                           const FileCommand& command) {
    const bool readsStandardInput = std::count(files.begin(), files.end(), kStandardStream) > 0;
    const bool writesStandardOutput = options.output && *options.output == kStandardStream;

    RunReporting how{options.force, options.skipExisting, command.activity, {}, true};
    std::optional<PrivateTemporaryFolder> spool;
    if (readsStandardInput || writesStandardOutput) spool.emplace();
    std::string inputPath;
    if (readsStandardInput) {
        // A file, so that a source can be read twice and memory stays flat.
        inputPath = spool->copyIn("input", STDIN_FILENO, kStandardStream);
        how.shownNames[inputPath] = kStandardStream;
    }
    std::string outputPath = options.output.value_or("");
    if (writesStandardOutput) {
        // The document goes to standard output only once it is complete.
        outputPath = spool->entry("output." + command.outputExtension);
        how.shownNames[outputPath] = kStandardStream;
        how.printPaths = false;
    }

    const FileRunStepsMaker makeSteps = [&](unsigned threadsPerFile) {
        FileRunSteps steps = command.makeSteps(threadsPerFile);
        if (!outputPath.empty())
            steps.outputPathOf = [outputPath](const std::string&) { return outputPath; };
        return steps;
    };
    std::unique_ptr<CommandLineRunHandler> handler;
    if (options.json) {
        const FileRunSteps naming = makeSteps(1);
        handler = std::make_unique<JsonRunHandler>(how, naming.outputPathOf);
    } else {
        handler = std::make_unique<CommandLineRunHandler>(how);
    }

    SourceList sources(files, options, inputPath);
    const SourceFeed feed = [&](std::string& source) { return sources.next(source); };
    runOverFilesInParallel(feed, makeSteps, *handler, options.jobs.value_or(usableCpuCount()));

    if (writesStandardOutput && handler->anyConverted()) {
        flushStandardOutput();
        copyFileTo(outputPath, STDOUT_FILENO, "standard output");
    }
    flushStandardOutput();
    return handler->allDone() ? kExitOk : kExitSomeFailed;
}

}  // namespace

int runFileCommand(const RunOptions& options, const std::vector<std::string>& files,
                   const FileCommand& command) {
    try {
        return runWithStandardStreams(options, files, command);
    } catch (const FileError& error) {
        flushStandardOutput();
        printError(terminalName(error.path()) + ": " + error.cause());
        return kExitSomeFailed;
    } catch (const std::exception& error) {
        flushStandardOutput();
        printError(error.what());
        return kExitSomeFailed;
    }
}

}  // namespace leafwright::cli
