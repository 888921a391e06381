#include "core/platform/file_run.h"

#include <sys/stat.h>

#include <cstddef>
#include <exception>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/platform/file_search.h"
#include "core/platform/replacement_batch.h"
#include "core/platform/run_control.h"

namespace leafwright {

bool outputWouldReplaceSource(const std::string& sourcePath, const std::string& outputPath) {
    if (sourcePath == outputPath) return true;
    std::error_code ignored;
    return std::filesystem::equivalent(sourcePath, outputPath, ignored);
}

namespace {

// Anything at the path that a finished output would replace: a file, a link
// to one, a dangling link. A folder, or a link to one, is not: the writer
// refuses it.
bool outputWouldReplaceEntry(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) return false;
    return !(S_ISLNK(entry.st_mode) && entryKind(path) == EntryKind::Directory);
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

    void converted(const std::string& source, const std::string& output, std::string warning) {
        Report report{Kind::Converted, source, output, std::move(warning), std::nullopt, kNotHeld};
        if (batch_.size() > tied_) report.held = tied_++;
        add(std::move(report));
    }
    void declined(const std::string& source, const std::string& output) {
        add({Kind::Declined, source, output, {}, std::nullopt, kNotHeld});
    }
    // Returns whether the run goes on.
    bool failed(const std::string& source, const FileError& error) {
        if (waiting_.empty()) return handler_.failed(source, error);
        add({Kind::Failed, source, {}, {}, error, kNotHeld});
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
        std::string source, output, warning;
        std::optional<FileError> error;
        std::size_t held;
    };

    void giveConverted(const Report& report) {
        handler_.converted(report.source, report.output);
        if (!report.warning.empty()) handler_.warned(report.source, report.warning);
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

void runOverFiles(const std::vector<std::string>& sources, const FileRunSteps& steps,
                  FileRunHandler& handler) {
    ReplacedFolderFlush flushFoldersAtEnd;
    RunReports reports(handler);
    for (const std::string& source : sources) {
        const std::string output = steps.outputPathOf(source);
        FileRunStepResult result;
        try {
            throwIfRunCancelled();
            if (outputWouldReplaceSource(source, output))
                throw FileError(source, steps.ownSourceCause);
            bool replaceGranted = false;
            if (outputWouldReplaceEntry(output)) {
                if (!handler.confirmOverwrite(source, output)) {
                    reports.declined(source, output);
                    continue;
                }
                replaceGranted = true;
            }
            // A file that appeared while the output was written is asked
            // about when the output is ready to take its place.
            ReplaceQuestion mayReplace = [&] {
                return replaceGranted || handler.confirmOverwrite(source, output);
            };
            result = steps.convertOne(source, output, mayReplace);
            if (!result.placed) {
                reports.declined(source, output);
                continue;
            }
        } catch (const RunCancelled&) {
            // Not the file's failure: the run ends here, the file unreported,
            // and the reports held back so far are given first.
            reports.finish();
            throw;
        } catch (const std::exception& error) {
            // Whatever stops one file (memory running out on it, say) is
            // reported as that file's failure; the handler decides whether
            // the run goes on.
            if (reports.failed(source, FileError::fromException(source, error))) continue;
            break;
        }
        reports.converted(source, output, std::move(result.warning));
    }
    reports.finish();
}

}  // namespace leafwright
