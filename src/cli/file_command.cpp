#include "cli/file_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include "cli/command_line_run_handler.h"
#include "cli/commands.h"
#include "cli/json_run_handler.h"
#include "cli/source_list.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"
#include "core/platform/cpu_count.h"
#include "core/platform/file_error.h"
#include "core/platform/input_spool.h"
#include "core/platform/own_source.h"
#include "core/platform/private_temporary_folder.h"
#include "core/run/parallel_file_run.h"

namespace leafwright::cli {

namespace {

// The name standing for standard input or output.
const std::string kStandardStream = "-";

// An unusable name of the list has no output and fails in its place, named by
// the list and its entry.
FileRunSteps withUnusableListEntries(FileRunSteps steps, const std::string& listName) {
    steps.outputPathOf = [outputPathOf = std::move(steps.outputPathOf)](const std::string& source) {
        return unusableEntryOf(source) ? std::string() : outputPathOf(source);
    };
    steps.convertOne = [convertOne = std::move(steps.convertOne), listName](
                           const std::string& source, const std::string& output,
                           const ReplaceQuestion& mayReplace) {
        if (const auto entry = unusableEntryOf(source))
            throw FileError(listName, unusableEntryCause(*entry));
        return convertOne(source, output, mayReplace);
    };
    return steps;
}

// Standard input redirected from the very file named as the output
// (`- -o notes.txt < notes.txt`): the spool keeps its bytes for the run, but
// the finished output would take the file's place.
void refuseOutputOverStandardInput(const std::string& outputPath) {
    struct stat input {};
    if (::fstat(STDIN_FILENO, &input) != 0 || !S_ISREG(input.st_mode)) return;
    refuseOutputOverSource(kStandardStream, outputPath, input.st_dev, input.st_ino);
}

// The run proper; standard input's spool and the temporary folder for
// standard output live as long as it.
int runWithStandardStreams(const RunOptions& options, const std::vector<std::string>& files,
                           const FileCommand& command) {
    const bool readsStandardInput = std::count(files.begin(), files.end(), kStandardStream) > 0;
    const bool writesStandardOutput = options.output && *options.output == kStandardStream;

    RunReporting how{.force = options.force,
                     .skipExisting = options.skipExisting,
                     .activity = command.activity,
                     .shownNames = {},
                     .printPaths = true,
                     .listName = options.filesFrom.value_or("")};
    std::optional<InputSpool> input;
    std::string inputPath;
    if (readsStandardInput && options.output && !writesStandardOutput)
        refuseOutputOverStandardInput(*options.output);
    if (readsStandardInput) {
        // A file, so that a source can be read twice and memory stays flat.
        SpoolLimits limits{options.maxInput, "--max-input " + options.maxInputText};
        input.emplace(STDIN_FILENO, kStandardStream, limits);
        inputPath = input->path();
        how.shownNames[inputPath] = kStandardStream;
    }
    std::optional<PrivateTemporaryFolder> spool;
    std::string outputPath = options.output.value_or("");
    if (writesStandardOutput) {
        // The document goes to standard output only once it is complete.
        spool.emplace();
        outputPath = spool->entry("output." + command.outputExtension);
        how.shownNames[outputPath] = kStandardStream;
        how.printPaths = false;
    }

    const FileRunStepsMaker makeSteps = [&](unsigned threadsPerFile) {
        FileRunSteps steps = command.makeSteps(threadsPerFile);
        if (!outputPath.empty())
            steps.outputPathOf = [outputPath](const std::string&) { return outputPath; };
        return withUnusableListEntries(std::move(steps), how.listName);
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
    } catch (const std::exception&) {
        return reportRunFailure();
    }
}

int reportRunFailure() {
    flushStandardOutput();
    try {
        throw;
    } catch (const FileError& error) {
        printError(terminalName(error.path()) + ": " + error.cause());
    } catch (const std::exception& error) {
        printError(error.what());
    }
    return kExitSomeFailed;
}

}  // namespace leafwright::cli
