#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cli/run_options.h"
#include "core/run/file_run.h"

namespace leafwright::cli {

// What a file command (convert, unspool) brings to the shared run.
struct FileCommand {
    // Names the work in messages ("converting", "extracting").
    std::string activity;
    // The extension of the command's outputs ("pdf", "txt").
    std::string outputExtension;
    // Steps of the run; each call gives steps with their own copy of the
    // settings, so that files converted at once share nothing.
    FileRunStepsMaker makeSteps;
};

// Runs a file command over the FILE arguments and the --files-from list as
// the run options say, and returns the exit status: 0 when every file was
// done, 1 otherwise (also when the run itself failed, which is reported).
// The options were checked with runOptionsProblem.
// Reports the failure that ended a whole run (the exception being handled):
// a file error as "NAME: cause", anything else by its message, after what
// standard output holds; returns the run's exit status.
int reportRunFailure();

int runFileCommand(const RunOptions& options, const std::vector<std::string>& files,
                   const FileCommand& command);

}  // namespace leafwright::cli
