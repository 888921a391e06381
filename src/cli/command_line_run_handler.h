#pragma once

#include <functional>
#include <string>

#include "core/platform/file_run.h"

namespace leafwright::cli {

// Answers a run's questions without asking anyone: an existing output is
// replaced only with --force. Written paths go to standard output, one per
// line; skips and failures to standard error, and the run goes on.
class CommandLineRunHandler : public FileRunHandler {
public:
    // `activity` names the work in messages about another file than the
    // source ("converting", "extracting").
    CommandLineRunHandler(bool force, std::string activity)
        : force_(force), activity_(std::move(activity)) {}

    bool confirmOverwrite(const std::string&, const std::string&) override { return force_; }
    void converted(const std::string& sourcePath, const std::string& outputPath) override;
    void declined(const std::string& sourcePath, const std::string& outputPath) override;
    bool failed(const std::string& sourcePath, const FileError& error) override;
    void warned(const std::string& sourcePath, const std::string& message) override;
    // It asks no one and always goes on, so replaced files may be flushed
    // to disk together.
    bool reportsMayWait() const override { return true; }

    // True while no file was skipped or failed.
    bool allDone() const { return allDone_; }

private:
    bool force_;
    std::string activity_;
    bool allDone_ = true;
};

// Runs a command's file run with a CommandLineRunHandler and returns the exit
// status: 0 when every file was done, 1 otherwise (also when the run itself
// failed, which is reported).
int runFilesFromCommandLine(bool force, const std::string& activity,
                            const std::function<void(FileRunHandler&)>& run);

}  // namespace leafwright::cli
