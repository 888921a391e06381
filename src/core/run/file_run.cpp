#include "core/run/file_run.h"

#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <exception>
#include <optional>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/file_search.h"
#include "core/platform/own_source.h"
#include "core/platform/replacement_batch.h"
#include "core/run/run_control.h"

namespace leafwright {

namespace {

// Whether anything stands at the output path, and whether a finished output
// would replace it: a file, a link to one, a dangling link would be; a
// folder, or a link to one, would not (the writer refuses it).
struct OutputEntry {
    bool exists = false;
    bool wouldBeReplaced = false;
};

OutputEntry lookAtOutput(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0) return {};
    if (S_ISDIR(entry.st_mode)) return {true, false};
    return {true, !(S_ISLNK(entry.st_mode) && entryKind(path) == EntryKind::Directory)};
}

// How many replaced files a run holds back to flush them together.
constexpr std::size_t kReplacementBatch = 64;

// The reports of a run, in file order. When the handler lets reports wait,
// replacements are held back in a batch, and from the first held one on the
// reports wait too, so that they still come in file order.
class RunReports {
  public:
    explicit RunReports(FileRunHandler& handler)
        : handler_(handler), batch_(handler.reportsMayWait() ? kReplacementBatch : 0) {}

    void converted(const std::string& source, const std::string& output, FileRunFacts facts) {
        Report report{Kind::Converted, source, output, std::move(facts), std::nullopt, kNotHeld};
        if (batch_.size() > tied_) report.held = tied_++;
        add(std::move(report));
    }
    void declined(const std::string& source, const std::string& output) {
        Report report{Kind::Declined, source, output, FileRunFacts{}, std::nullopt, kNotHeld};
        add(std::move(report));
    }
    // Returns whether the run goes on.
    bool failed(const std::string& source, const FileError& error) {
        if (waiting_.empty()) return handler_.failed(source, error);
        Report report{Kind::Failed, source, {}, FileRunFacts{}, error, kNotHeld};
        add(std::move(report));
        return true;
    }

    // Puts every held replacement in place and gives the waiting reports.
    void finish() {
        std::vector<std::optional<FileError>> outcomes(batch_.size());
        batch_.finish([&](std::size_t index, const FileError* error) {
            if (error != nullptr) outcomes[index] = *error;
        });
        std::vector<Report> reports = std::move(waiting_);
        waiting_.clear();
        tied_ = 0;
        for (const Report& report : reports) {
            if (report.held != kNotHeld && outcomes[report.held])
                handler_.failed(report.source, *outcomes[report.held]);
            else if (report.kind == Kind::Converted)
                giveConverted(report);
            else if (report.kind == Kind::Declined)
                handler_.declined(report.source, report.output);
            else
                handler_.failed(report.source, *report.error);
        }
    }

  private:
    enum class Kind { Converted, Declined, Failed };
    static constexpr std::size_t kNotHeld = ~std::size_t{0};
    struct Report {
        Kind kind;
        std::string source, output;
        FileRunFacts facts;
        std::optional<FileError> error;
        std::size_t held;
    };

    void giveConverted(const Report& report) {
        handler_.convertedWithFacts(report.source, report.output, report.facts);
    }

    void add(Report report) {
        if (report.held == kNotHeld && waiting_.empty()) {
            if (report.kind == Kind::Converted) giveConverted(report);
            if (report.kind == Kind::Declined) handler_.declined(report.source, report.output);
            return;
        }
        waiting_.push_back(std::move(report));
        if (batch_.full()) finish();
    }

    FileRunHandler& handler_;
    ReplacementBatch batch_;
    std::vector<Report> waiting_;
    std::size_t tied_ = 0;  // held replacements that a report waits for
};

}  // namespace

FileRunOutcome runOneFile(const std::string& source, const FileRunSteps& steps,
                          FileRunHandler& handler) {
    const auto start = std::chrono::steady_clock::now();
    FileRunOutcome outcome;
    outcome.source = source;
    try {
        throwIfRunCancelled();
        outcome.output = steps.outputPathOf(source);
        const std::string& output = outcome.output;
        // Nothing at the output path cannot be the source: the check by
        // name is needed only when something is there.
        const OutputEntry entry = lookAtOutput(output);
        if (entry.exists) {
            refuseOutputOverSource(source, output);
        } else if (output == source) {
            throw FileError(source, kOwnSourceCause);
        }
        bool replaceGranted = false;
        if (entry.wouldBeReplaced) {
            if (!handler.confirmOverwrite(source, output)) {
                outcome.kind = FileRunOutcome::Kind::Declined;
                return outcome;
            }
            replaceGranted = true;
        }
        // A file that appeared while the output was written is asked
        // about when the output is ready to take its place.
        ReplaceQuestion mayReplace = [&] {
            return replaceGranted || handler.confirmOverwrite(source, output);
        };
        FileRunStepResult result = steps.convertOne(source, output, mayReplace);
        if (!result.placed) {
            outcome.kind = FileRunOutcome::Kind::Declined;
            return outcome;
        }
        outcome.kind = FileRunOutcome::Kind::Converted;
        outcome.facts.bytes = result.bytes;
        outcome.facts.pages = result.pages;
        outcome.facts.wrappedLines = result.wrappedLines;
        outcome.facts.linesPastEdge = result.linesPastEdge;
        outcome.facts.warning = std::move(result.warning);
        outcome.facts.encoding = std::move(result.encoding);
        outcome.facts.parts = std::move(result.parts);
    } catch (const RunCancelled&) {
        // Not the file's failure: the run ends here, the file unreported.
        throw;
    } catch (const std::exception& error) {
        // Whatever stops one file (memory running out on it, say) is
        // reported as that file's failure; the handler decides whether
        // the run goes on.
        outcome.kind = FileRunOutcome::Kind::Failed;
        outcome.error = FileError::fromException(source, error);
    }
    outcome.facts.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

void reportOutcomes(const std::function<bool(FileRunOutcome& outcome)>& nextOutcome,
                    FileRunHandler& handler) {
    ReplacedFolderFlush flushFoldersAtEnd;
    RunReports reports(handler);
    FileRunOutcome outcome;
    try {
        while (nextOutcome(outcome)) {
            if (outcome.kind == FileRunOutcome::Kind::Declined) {
                reports.declined(outcome.source, outcome.output);
            } else if (outcome.kind == FileRunOutcome::Kind::Converted) {
                reports.converted(outcome.source, outcome.output, std::move(outcome.facts));
            } else if (!reports.failed(outcome.source, *outcome.error)) {
                break;
            }
        }
    } catch (...) {
        // The reports held back so far are given before the run ends, when
        // it is cancelled or its list of sources cannot be read further.
        reports.finish();
        throw;
    }
    reports.finish();
}

void runOverFiles(const SourceFeed& sources, const FileRunSteps& steps, FileRunHandler& handler) {
    reportOutcomes(
        [&](FileRunOutcome& outcome) {
            std::string source;
            if (!sources(source)) return false;
            outcome = runOneFile(source, steps, handler);
            return true;
        },
        handler);
}

void runOverFiles(const std::vector<std::string>& sources, const FileRunSteps& steps,
                  FileRunHandler& handler) {
    std::size_t next = 0;
    runOverFiles(
        [&](std::string& source) {
            if (next == sources.size()) return false;
            source = sources[next++];
            return true;
        },
        steps, handler);
}

}  // namespace leafwright
