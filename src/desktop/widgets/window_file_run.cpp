#include "desktop/widgets/window_file_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/platform/cpu_count.h"
#include "core/platform/run_watch.h"
#include "core/plustools/unspool_run.h"
#include "core/run/parallel_file_run.h"
#include "core/run/run_control.h"
#include "desktop/widgets/combined_progress.h"

namespace leafwright {

namespace {

// The cause given to a file abandoned by a cancel. The run loop reports it
// like a failure, and the run tells it apart by this text, which no file
// error carries.
const std::string kAbandonedCause = "abandoned when the run was cancelled";

// An extraction reads its source about twice, so a file at hand counts half
// the bytes read from it. A source laid out on pages is read two to five
// times before its first page is written, depending on its fonts and its
// wrapping, and the writing takes as long again: its readings count for
// the first half of it, at most, and its pages as written for the second.
constexpr std::uint64_t kReadsPerSource = 2;

std::uint64_t bytesAtHandOf(const RunControl& control) {
    const std::uint64_t size = control.sourceSize();
    const std::uint64_t read = std::min(control.sourceBytesRead() / kReadsPerSource, size);
    if (!control.sourceOnPages()) return read;
    const std::uint64_t pages = control.pagesInAll();
    if (pages == 0) return read / 2;
    const std::uint64_t done = std::min(control.pagesDone(), pages);
    return size / 2 +
           static_cast<std::uint64_t>(static_cast<double>(size - size / 2) *
                                      static_cast<double>(done) / static_cast<double>(pages));
}

// Set while a conversion asks whether its finished output may replace a file
// that appeared at its name: an answer No then ends a conversion, which
// counts itself as done.
thread_local bool askedAtCommit = false;

std::uint64_t sizeOf(const std::string& path) {
    struct stat entry {};
    return ::stat(path.c_str(), &entry) == 0 && S_ISREG(entry.st_mode)
               ? static_cast<std::uint64_t>(entry.st_size)
               : 0;
}

}  // namespace

// One control per worker: the core's readers report to the control of their
// thread, and two files read at once must not count into one.
class WindowFileRun::Controls {
  public:
    RunControl& add() {
        std::lock_guard lock(mutex_);
        RunControl& control = controls_.emplace_back();
        if (cancelled_) control.cancel();
        return control;
    }
    void cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        for (RunControl& control : controls_) control.cancel();
    }
    bool cancelled() const {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }
    std::uint64_t bytesAtHand() const {
        std::lock_guard lock(mutex_);
        std::uint64_t bytes = 0;
        for (const RunControl& control : controls_) bytes += bytesAtHandOf(control);
        return bytes;
    }

  private:
    mutable std::mutex mutex_;
    std::deque<RunControl> controls_;  // a deque keeps their addresses
    bool cancelled_ = false;
};

// What the core's loop calls. Its questions go to the window one at a time;
// its reports are kept for the window to take.
//
// It lets reports wait (reportsMayWait), though it asks questions: that is
// what lets the loop convert several files at once and hold replacements
// back to flush them together. Its questions may then come from any worker,
// so they are asked one at a time here, and it never stops the run at a
// failure, which a waiting report could not do in order anyway.
class WindowFileRun::Handler : public FileRunHandler {
  public:
    Handler(WindowFileRun& run, Question ask) : run_(run), ask_(std::move(ask)) {}

    bool confirmOverwrite(const std::string& sourcePath, const std::string& outputPath) override {
        const bool replace = answer(sourcePath, outputPath);
        // A file kept before its conversion is done with here; one kept at
        // its commit, when its conversion ends.
        if (!replace && !askedAtCommit) run_.fileDone(sizeOf(sourcePath));
        return replace;
    }

    void converted(const std::string& sourcePath, const std::string& outputPath) override {
        convertedWithFacts(sourcePath, outputPath, {});
    }
    void convertedWithFacts(const std::string& sourcePath, const std::string& outputPath,
                            const FileRunFacts& facts) override {
        WindowRunReport report;
        report.kind = WindowRunReport::Kind::Converted;
        report.source = sourcePath;
        report.output = outputPath;
        report.warning = facts.warning;
        report.linesPastEdge = facts.linesPastEdge.value_or(0);
        run_.report(std::move(report));
    }
    void declined(const std::string& sourcePath, const std::string& outputPath) override {
        WindowRunReport report;
        report.kind = WindowRunReport::Kind::Skipped;
        report.source = sourcePath;
        report.output = outputPath;
        run_.report(std::move(report));
    }
    bool failed(const std::string& sourcePath, const FileError& error) override {
        WindowRunReport report;
        report.source = sourcePath;
        if (error.cause() == kAbandonedCause) {
            report.kind = WindowRunReport::Kind::NotDone;
        } else {
            report.kind = WindowRunReport::Kind::Failed;
            report.error = error;
        }
        run_.report(std::move(report));
        return true;
    }

    bool reportsMayWait() const override { return true; }

    // The overwrite question alone, as the other questions of the run.
    OverwriteAnswer askOnce(const std::string& outputPath) {
        std::lock_guard lock(questionMutex_);
        return ask_(outputPath);
    }

  private:
    enum class Standing { Ask, ReplaceAll, KeepAll };

    bool answer(const std::string& sourcePath, const std::string& outputPath) {
        std::lock_guard lock(questionMutex_);
        // Another worker's question may have settled this one meanwhile.
        if (run_.cancelled()) throw FileError(sourcePath, kAbandonedCause);
        if (standing_ == Standing::ReplaceAll) return true;
        if (standing_ == Standing::KeepAll) return false;
        switch (ask_(outputPath)) {
            case OverwriteAnswer::Replace:
                return true;
            case OverwriteAnswer::ReplaceAll:
                standing_ = Standing::ReplaceAll;
                return true;
            case OverwriteAnswer::KeepAll:
                standing_ = Standing::KeepAll;
                return false;
            case OverwriteAnswer::Cancel:
                run_.cancel();
                throw FileError(sourcePath, kAbandonedCause);
            case OverwriteAnswer::Keep:
                break;
        }
        return false;
    }

    WindowFileRun& run_;
    Question ask_;
    std::mutex questionMutex_;
    Standing standing_ = Standing::Ask;  // under questionMutex_
};

// What the combined run calls: the document's outcome, heard once, becomes
// a report for each source when the run is over.
class WindowFileRun::CombinedHandler : public FileRunHandler {
  public:
    CombinedHandler(WindowFileRun& run, Question ask) : run_(run), ask_(std::move(ask)) {}

    bool confirmOverwrite(const std::string&, const std::string& outputPath) override {
        switch (ask_(outputPath)) {
            case OverwriteAnswer::Replace:
            case OverwriteAnswer::ReplaceAll:
                return true;
            case OverwriteAnswer::Cancel:
                run_.cancel();
                throw RunCancelled();
            default:
                return false;
        }
    }
    void converted(const std::string& sourcePath, const std::string& outputPath) override {
        convertedWithFacts(sourcePath, outputPath, {});
    }
    void convertedWithFacts(const std::string&, const std::string& outputPath,
                            const FileRunFacts& facts) override {
        outcome_ = WindowRunReport::Kind::Converted;
        output_ = outputPath;
        for (const SourceRunFacts& source : facts.sources) sources_[source.path] = source;
    }
    void declined(const std::string&, const std::string& outputPath) override {
        outcome_ = WindowRunReport::Kind::Skipped;
        output_ = outputPath;
    }
    bool failed(const std::string&, const FileError& error) override {
        outcome_ = WindowRunReport::Kind::Failed;
        error_ = error;
        return false;
    }
    // The reports of the sources, in list order; all not done when the run
    // ended without an outcome (a cancel).
    void reportAll(const std::vector<std::string>& sources) {
        // The failure names a source, or else the document: the first
        // source then stands for it.
        std::size_t failing = 0;
        if (error_) {
            const auto named = std::find(sources.begin(), sources.end(), error_->path());
            if (named != sources.end()) failing = static_cast<std::size_t>(named - sources.begin());
        }
        for (std::size_t k = 0; k < sources.size(); ++k) {
            WindowRunReport report;
            report.source = sources[k];
            report.kind = outcome_;
            if (outcome_ == WindowRunReport::Kind::Failed) {
                if (k == failing)
                    report.error = error_;
                else
                    report.kind = WindowRunReport::Kind::NotDone;
            } else if (k + 1 == sources.size()) {
                report.output = output_;
            }
            if (const auto facts = sources_.find(sources[k]); facts != sources_.end()) {
                report.warning = facts->second.warning;
                report.linesPastEdge = facts->second.linesPastEdge.value_or(0);
            }
            run_.report(std::move(report));
        }
    }

  private:
    WindowFileRun& run_;
    Question ask_;
    WindowRunReport::Kind outcome_ = WindowRunReport::Kind::NotDone;
    std::string output_;
    std::optional<FileError> error_;
    std::map<std::string, SourceRunFacts> sources_;  // by path
};

void WindowFileRun::runCombined(const std::vector<std::uint64_t>& sizes) {
    CombinedHandler handler(
        *this, [this](const std::string& outputPath) { return handler_->askOnce(outputPath); });
    RunControl& control = controls_->add();
    combinedControl_.store(&control, std::memory_order_relaxed);
    CombinedProgress shares(sizes);
    const CombineProgress progress = [this, &shares](std::size_t source, CombineReading reading) {
        bytesDone_.store(shares.at(source, reading), std::memory_order_relaxed);
        if (reading != CombineReading::writing) return;
        filesDone_.store(source, std::memory_order_relaxed);
        if (source == 0) writingFrom_.store(shares.at(0, reading), std::memory_order_relaxed);
    };
    try {
        RunControlScope scope(control);
        combine_(sources_, handler, progress);
    } catch (const RunCancelled&) {
        // Every source not done: nothing was written.
    }
    filesDone_.store(sources_.size(), std::memory_order_relaxed);
    handler.reportAll(sources_);
}

WindowFileRun::WindowFileRun(std::vector<std::string> sources, StepsMaker makeSteps, Question ask)
    : sources_(std::move(sources)),
      makeSteps_(std::move(makeSteps)),
      controls_(std::make_unique<Controls>()),
      handler_(std::make_unique<Handler>(*this, std::move(ask))) {}

WindowFileRun::~WindowFileRun() = default;

void WindowFileRun::run() {
    // Each source's size is taken once, so the bar's total and its shares agree.
    std::vector<std::uint64_t> sizes;
    sizes.reserve(sources_.size());
    std::uint64_t total = 0;
    for (const std::string& source : sources_) total += sizes.emplace_back(sizeOf(source));
    bytesTotal_.store(total, std::memory_order_relaxed);
    if (combine_) {
        runCombined(sizes);
        return;
    }
    const SourceFeed feed = [this](std::string& source) { return nextSource(source); };
    const FileRunStepsMaker workerSteps = [this](unsigned threadsPerFile) {
        return stepsOfWorker(threadsPerFile);
    };
    runOverFilesInParallel(feed, workerSteps, *handler_, usableCpuCount());
}

void WindowFileRun::cancel() {
    controls_->cancel();
}

bool WindowFileRun::cancelled() const {
    return controls_->cancelled();
}

std::vector<WindowRunReport> WindowFileRun::takeReports() {
    std::lock_guard lock(mutex_);
    return std::exchange(reports_, {});
}

std::uint64_t WindowFileRun::bytesDone() const {
    const std::uint64_t done = bytesDone_.load(std::memory_order_relaxed);
    if (!combine_) return std::min(bytesTotal(), done + controls_->bytesAtHand());
    // One document: each reading takes the sources up in turn (the share
    // each reaches is set as it begins); while its pages are written, they
    // say how far the writing got.
    const std::uint64_t from = writingFrom_.load(std::memory_order_relaxed);
    const RunControl* control = combinedControl_.load(std::memory_order_relaxed);
    const std::uint64_t pages = control ? control->pagesInAll() : 0;
    if (from == 0 || pages == 0) return std::min(bytesTotal(), done);
    const double written =
        static_cast<double>(std::min(control->pagesDone(), pages)) / static_cast<double>(pages);
    const auto writing =
        from + static_cast<std::uint64_t>(static_cast<double>(bytesTotal() - from) * written);
    return std::min(bytesTotal(), std::max(done, writing));
}

bool WindowFileRun::nextSource(std::string& source) {
    if (cancelled()) return false;
    std::lock_guard lock(mutex_);
    if (nextSource_ == sources_.size()) return false;
    source = sources_[nextSource_++];
    return true;
}

void WindowFileRun::report(WindowRunReport report) {
    std::lock_guard lock(mutex_);
    reports_.push_back(std::move(report));
}

void WindowFileRun::fileDone(std::uint64_t sourceBytes) {
    filesDone_.fetch_add(1, std::memory_order_relaxed);
    bytesDone_.fetch_add(sourceBytes, std::memory_order_relaxed);
}

FileRunSteps WindowFileRun::stepsOfWorker(unsigned threadsPerFile) {
    FileRunSteps steps = makeSteps_(threadsPerFile);
    RunControl& control = controls_->add();
    // Each conversion reports to this worker's control and stops when it is
    // cancelled; a file so abandoned leaves nothing and is reported as not
    // done, while the run goes on to report the files already finished. A
    // conversion that ends otherwise, however, is done with.
    steps.convertOne = [this, convert = std::move(steps.convertOne), &control](
                           const std::string& source, const std::string& output,
                           const ReplaceQuestion& mayReplace) {
        RunControlScope scope(control);
        struct Ending {
            WindowFileRun& run;
            RunControl& control;
            bool abandoned = false;
            ~Ending() {
                if (!abandoned) run.fileDone(control.sourceSize());
                control.startSource(0);
            }
        } ending{*this, control};
        const ReplaceQuestion atCommit = [&mayReplace] {
            askedAtCommit = true;
            struct Reset {
                ~Reset() { askedAtCommit = false; }
            } reset;
            return !mayReplace || mayReplace();
        };
        try {
            throwIfRunCancelled();
            return convert(source, output, atCommit);
        } catch (const RunCancelled&) {
            ending.abandoned = true;
            throw FileError(source, kAbandonedCause);
        } catch (const FileError& error) {
            ending.abandoned = error.cause() == kAbandonedCause;
            throw;
        }
    };
    return steps;
}

struct WindowConversionSteps::Worker {
    ConversionSettings settings;
    std::string lastOutput;        // under the steps' mutex
    std::uint64_t lastNumber = 0;  // which conversion it was, counted from 1
};

WindowConversionSteps::WindowConversionSteps(const ConversionSettings& settings)
    : settings_(settings), fonts_(runFonts(settings)) {}

WindowConversionSteps::~WindowConversionSteps() = default;

WindowFileRun::StepsMaker WindowConversionSteps::maker() {
    return [this](unsigned threadsPerFile) {
        auto worker = std::make_shared<Worker>();
        {
            std::lock_guard lock(mutex_);
            worker->settings = settings_;
            workers_.push_back(worker);
        }
        SourceThreads threads;
        threads.threads = threadsPerFile;
        FileRunSteps steps = conversionSteps(worker->settings, threads, fonts_);
        steps.convertOne = [this, worker, convert = std::move(steps.convertOne)](
                               const std::string& source, const std::string& output,
                               const ReplaceQuestion& mayReplace) {
            FileRunStepResult result = convert(source, output, mayReplace);
            if (result.placed) {
                std::lock_guard lock(mutex_);
                worker->lastOutput = output;
                worker->lastNumber = ++conversions_;
            }
            return result;
        };
        return steps;
    };
}

std::optional<ConversionSettings> WindowConversionSteps::settingsAfter(
    const std::string& output) const {
    std::lock_guard lock(mutex_);
    const Worker* latest = nullptr;
    for (const auto& worker : workers_)
        if (worker->lastOutput == output && (!latest || worker->lastNumber > latest->lastNumber))
            latest = worker.get();
    if (!latest) return std::nullopt;
    return latest->settings;
}

WindowFileRun::StepsMaker windowUnspoolSteps() {
    return [](unsigned) { return unspoolSteps(); };
}

}  // namespace leafwright
