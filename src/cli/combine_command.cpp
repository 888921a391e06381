#include "cli/combine_command.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "cli/command_line_run_handler.h"
#include "cli/commands.h"
#include "cli/file_command.h"
#include "cli/json_run_handler.h"
#include "cli/source_list.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"
#include "core/pdf/combined_run.h"
#include "core/platform/file_error.h"

namespace leafwright::cli {

std::string combineOptionsProblem(const ConvertOptions& options) {
    const RunOptions& run = options.run;
    if (options.combine->empty()) return std::string("--combine: ") + kEmptyFileName;
    if (*options.combine == "-")
        return "--combine names a file; the combined PDF cannot go to standard output";
    if (options.files.empty() && !run.filesFrom) return "no FILE given";
    if (run.output || options.outputDir)
        return "--combine names the output itself; -o and --output-dir cannot be used with it";
    if (std::count(options.files.begin(), options.files.end(), "-") > 0)
        return "-: standard input cannot be one of the files of --combine";
    if (run.force && run.skipExisting) return "--force and --skip-existing exclude each other";
    return {};
}

namespace {

// The sources in list order; an unusable name of the list fails the document,
// named by the list and its entry.
std::vector<std::string> allSources(const ConvertOptions& options) {
    SourceList list(options.files, options.run, {});
    std::vector<std::string> sources;
    std::string source;
    while (list.next(source)) {
        if (const auto entry = unusableEntryOf(source))
            throw FileError(options.run.filesFrom.value_or(""), unusableEntryCause(*entry));
        sources.push_back(source);
    }
    if (sources.empty()) throw FileError(*options.combine, "no files to combine");
    return sources;
}

}  // namespace

int runCombine(const ConvertOptions& options, const ConversionSettings& settings) {
    const std::string& output = *options.combine;
    RunReporting how{.force = options.run.force,
                     .skipExisting = options.run.skipExisting,
                     .activity = "combining into",
                     .shownNames = {},
                     .printPaths = true,
                     .listName = options.run.filesFrom.value_or("")};
    std::unique_ptr<CommandLineRunHandler> handler;
    if (options.run.json)
        handler =
            std::make_unique<JsonRunHandler>(how, [output](const std::string&) { return output; });
    else
        handler = std::make_unique<CommandLineRunHandler>(how);
    try {
        std::vector<std::string> sources;
        try {
            sources = allSources(options);
        } catch (const FileError& error) {
            // As any failure of the document: named with it, and in --json
            // a record of its own.
            handler->failed(output, error);
            flushStandardOutput();
            return kExitSomeFailed;
        }
        runCombinedConversion(sources, output, settings, *handler);
    } catch (const std::exception&) {
        return reportRunFailure();
    }
    flushStandardOutput();
    return handler->allDone() ? kExitOk : kExitSomeFailed;
}

}  // namespace leafwright::cli
