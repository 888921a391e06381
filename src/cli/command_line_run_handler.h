#pragma once

#include <map>
#include <string>

#include "core/run/file_run.h"

namespace leafwright::cli {

// How the command line answers and reports a run.
struct RunReporting {
    bool force = false;         // replace existing outputs
    bool skipExisting = false;  // an existing output counts as done
    // Names the work in messages about another file than the source
    // ("converting", "extracting").
    std::string activity;
    // Files the user knows by another name: standard input spooled to a
    // file, a document kept until it goes to standard output ("-").
    std::map<std::string, std::string> shownNames;
    // False when standard output carries the document itself.
    bool printPaths = true;
    // The --files-from list as given, which an empty name in it is shown as.
    std::string listName;
};

// Answers a run's questions without asking anyone: an existing output is
// replaced only with --force. Written paths go to standard output, one per
// line; skips and failures to standard error, and the run goes on. Its
// answers hold no state, so workers converting at once may ask it.
class CommandLineRunHandler : public FileRunHandler {
  public:
    explicit CommandLineRunHandler(RunReporting how) : how_(std::move(how)) {}

    bool confirmOverwrite(const std::string&, const std::string&) override { return how_.force; }
    void converted(const std::string& sourcePath, const std::string& outputPath) override;
    // A source that gave several files prints each of them.
    void convertedWithFacts(const std::string& sourcePath, const std::string& outputPath,
                            const FileRunFacts& facts) override;
    void declined(const std::string& sourcePath, const std::string& outputPath) override;
    bool failed(const std::string& sourcePath, const FileError& error) override;
    void warned(const std::string& sourcePath, const std::string& message) override;
    // It asks no one and always goes on, so replaced files may be flushed
    // to disk together.
    bool reportsMayWait() const override { return true; }

    // True while no file was skipped or failed.
    bool allDone() const { return allDone_; }
    // True once a file was converted.
    bool anyConverted() const { return anyConverted_; }

  protected:
    // The path as the user knows it, before any quoting.
    const std::string& shown(const std::string& path) const;
    const RunReporting& how() const { return how_; }
    void noteConverted() { anyConverted_ = true; }
    void noteNotDone() { allDone_ = false; }
    // The message of a failure: the file it concerns and the cause, and the
    // source it belongs to when that is another file; names as `nameOf`
    // gives them.
    template <typename Naming>
    std::string failureText(const std::string& sourcePath, const FileError& error,
                            Naming nameOf) const {
        std::string text = nameOf(shown(error.path())) + ": " + error.cause();
        if (shown(error.path()) != shown(sourcePath))
            text += " (" + how_.activity + " " + nameOf(shown(sourcePath)) + ")";
        return text;
    }
    // Why a declined source is not done, after the output's name; nullptr
    // when it is done (--skip-existing, and a finished output stands there:
    // a link that leads nowhere is no finished output).
    const char* notDoneCause(const std::string& outputPath) const;

  private:
    RunReporting how_;
    bool allDone_ = true;
    bool anyConverted_ = false;
};

}  // namespace leafwright::cli
