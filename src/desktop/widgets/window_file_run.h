#pragma once

// The windows' one door to the core's run over files: the loop, the
// parallel run and cancelling are used here and nowhere else in the desktop.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/pdf/combined_document.h"
#include "core/run/file_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class FontProvider;
class RunControl;

// What became of one source, as a window hears it, in the order of the
// sources.
struct WindowRunReport {
    enum class Kind {
        Converted,  // output written (warning: a word about it, or empty)
        Skipped,    // the overwrite question was answered No
        Failed,     // error: the file and the cause
        NotDone,    // abandoned when the run was cancelled
    };
    Kind kind = Kind::Failed;
    std::string source;
    std::string output;
    std::string warning;
    std::uint64_t linesPastEdge = 0;  // lines that run past the page's right edge
    std::optional<FileError> error;
};

// An answer to the overwrite question.
enum class OverwriteAnswer { Replace, Keep, ReplaceAll, KeepAll, Cancel };

// A run over a window's list with the parallel run of leafwright-cli: the
// usable CPUs convert one file each at once (a single file gets them all),
// and the reports come in the sources' order. The run never waits for the
// window: reports and progress are collected here for the window to take
// when it likes. Only the overwrite question waits, for its answer: one
// question at a time, each asked when a worker reaches the file it is about
// (so, with several workers, near but not always in list order), and not at
// all once answered for all files. A failed file does not stop the run.
class WindowFileRun {
  public:
    // Called on a thread of the run, one call at a time.
    using Question = std::function<OverwriteAnswer(const std::string& outputPath)>;
    // Makes the steps of one worker (called once on each worker's thread;
    // threadsPerFile is more than 1 only when one file is converted at a
    // time, as for a single source).
    using StepsMaker = std::function<FileRunSteps(unsigned threadsPerFile)>;

    WindowFileRun(std::vector<std::string> sources, StepsMaker makeSteps, Question ask);

    // Converts every source into one document, reporting to the handler as
    // runCombinedConversion does (core/pdf/combined_run) and the progress
    // as each source is taken up.
    using Combination =
        std::function<void(const std::vector<std::string>& sources, FileRunHandler& handler,
                           const CombineProgress& progress)>;
    // Instead of converting each source on its own, run() converts them
    // all into one document with `combine`. Each source is then reported in
    // list order: converted (the last one naming the document, the others no
    // output), kept (the question answered No), failed (the one the failure
    // names) or not done (the rest, and all of them after a cancel).
    void combineWith(Combination combine) { combine_ = std::move(combine); }
    ~WindowFileRun();
    WindowFileRun(const WindowFileRun&) = delete;
    WindowFileRun& operator=(const WindowFileRun&) = delete;

    // Runs every source and returns when the run is over, on the calling
    // thread (with workers of its own). Throws only what stops the run as a
    // whole, never a file's failure.
    void run();

    // From any thread: abandons the files at hand and starts no other.
    void cancel();
    bool cancelled() const;

    // From any thread: the reports since the last call, in order.
    std::vector<WindowRunReport> takeReports();

    // How many files the workers are done with, whether reported yet or not
    // (reports wait for the files before them): never behind the files on
    // disk.
    std::size_t filesDone() const { return filesDone_.load(std::memory_order_relaxed); }
    // The bytes of every source, once run() has measured them (0 before),
    // and how many of them are done: those of the files done and, of each
    // file at hand, the part its readings and its pages written stand for.
    std::uint64_t bytesTotal() const { return bytesTotal_.load(std::memory_order_relaxed); }
    std::uint64_t bytesDone() const;

  private:
    class Handler;
    class Controls;
    class CombinedHandler;

    void runCombined(const std::vector<std::uint64_t>& sizes);

    bool nextSource(std::string& source);
    FileRunSteps stepsOfWorker(unsigned threadsPerFile);
    void report(WindowRunReport report);
    void fileDone(std::uint64_t sourceBytes);

    std::vector<std::string> sources_;
    StepsMaker makeSteps_;
    Combination combine_;
    std::unique_ptr<Controls> controls_;
    std::unique_ptr<Handler> handler_;

    std::mutex mutex_;
    std::size_t nextSource_ = 0;            // under mutex_
    std::vector<WindowRunReport> reports_;  // under mutex_
    std::atomic<std::size_t> filesDone_{0};
    std::atomic<std::uint64_t> bytesTotal_{0};
    std::atomic<std::uint64_t> bytesDone_{0};
    // A run into one document: its worker's control, and the share of the
    // bytes at which its writing begins (0 before).
    std::atomic<const RunControl*> combinedControl_{nullptr};
    std::atomic<std::uint64_t> writingFrom_{0};
};

// The conversion steps for a window's run: each worker converts with its
// own copy of `settings`. Afterwards, settingsAfter(output) gives the copy
// that converted `output` last (the self-adapting layout leaves the page
// size it computed in its settings), or nothing.
class WindowConversionSteps {
  public:
    explicit WindowConversionSteps(const ConversionSettings& settings);
    ~WindowConversionSteps();

    WindowFileRun::StepsMaker maker();
    std::optional<ConversionSettings> settingsAfter(const std::string& output) const;

  private:
    struct Worker;
    ConversionSettings settings_;
    std::shared_ptr<FontProvider> fonts_;  // one for every worker
    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<Worker>> workers_;
    std::atomic<std::uint64_t> conversions_{0};
};

// The Unspool steps for a window's run.
WindowFileRun::StepsMaker windowUnspoolSteps();

}  // namespace leafwright
