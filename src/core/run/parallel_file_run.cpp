#include "core/run/parallel_file_run.h"

#include <stdlib.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/pending_output.h"
#include "core/run/helper_thread.h"

namespace leafwright {

namespace {

// How many sources may be taken ahead of the oldest one not yet reported:
// enough to keep every worker busy while a slow report is given, few enough
// that the outcomes waiting stay small.
constexpr std::size_t kSourcesAhead = 256;

// Two outputs are the same file when their folders resolve to the same
// folder and their names are equal; a folder that cannot be resolved is
// taken by its path as written.
std::string outputIdentity(const std::string& output) {
    const std::size_t slash = output.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : output.substr(0, slash);
    const std::string name = slash == std::string::npos ? output : output.substr(slash + 1);
    std::unique_ptr<char, decltype(&::free)> resolved(::realpath(folder.c_str(), nullptr), &::free);
    return (resolved ? std::string(resolved.get()) : folder) + "/" + name;
}

class ParallelRun {
  public:
    ParallelRun(const SourceFeed& feed, const FileRunStepsMaker& makeSteps, FileRunHandler& handler)
        : feed_(feed), makeSteps_(makeSteps), handler_(handler) {}

    ~ParallelRun() { stop(); }

    // Starts up to `workers` workers, fewer when the system runs out of
    // threads; returns how many started.
    unsigned start(unsigned workers) {
        for (unsigned i = 0; i < workers; ++i) {
            {
                std::lock_guard lock(mutex_);
                ++workersRunning_;
            }
            auto worker = std::make_unique<HelperThread>([this] { work(); });
            if (!worker->started()) {
                std::lock_guard lock(mutex_);
                --workersRunning_;
                changed_.notify_all();
                break;
            }
            threads_.push_back(std::move(worker));
        }
        return static_cast<unsigned>(threads_.size());
    }

    // The next outcome in the sources' order, once it is there; false after
    // the last one.
    bool next(FileRunOutcome& outcome) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return (!window_.empty() && window_.front().done) ||
                   (window_.empty() && workersRunning_ == 0);
        });
        if (window_.empty()) return false;
        outcome = std::move(window_.front().outcome);
        window_.pop_front();
        changed_.notify_all();
        return true;
    }

    // Ends the workers (each finishes the source it has) and rethrows what
    // stopped the reading of the sources.
    void finish() {
        stop();
        if (failure_) std::rethrow_exception(failure_);
    }

  private:
    struct Taken {
        std::string source;
        bool done = false;
        FileRunOutcome outcome;
    };

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
        }
        changed_.notify_all();
        threads_.clear();  // each waits for its worker
    }

    // Takes the next source with its place in the window (under the lock).
    bool take(std::unique_lock<std::mutex>& lock, Taken*& slot, std::string& identity,
              const FileRunSteps& steps) {
        changed_.wait(lock, [&] { return stopped_ || window_.size() < kSourcesAhead; });
        if (stopped_ || feedEnded_) return false;
        std::string source;
        try {
            if (!feed_(source)) {
                feedEnded_ = true;
                return false;
            }
            identity = outputIdentity(steps.outputPathOf(source));
        } catch (...) {
            // A list that cannot be read ends the run after the sources
            // taken so far; the reason comes out of finish().
            if (!failure_) failure_ = std::current_exception();
            feedEnded_ = true;
            return false;
        }
        window_.push_back(Taken{std::move(source), false, {}});
        slot = &window_.back();
        sameOutput_[identity].push_back(slot);
        return true;
    }

    void work() {
        // Folders of replaced files are flushed once each, when this worker
        // ends.
        ReplacedFolderFlush flushFoldersAtEnd;
        try {
            const FileRunSteps steps = makeSteps_(1);
            std::unique_lock lock(mutex_);
            Taken* slot = nullptr;
            std::string identity;
            while (take(lock, slot, identity, steps)) {
                // An earlier source with the same output goes first.
                changed_.wait(lock, [&] { return sameOutput_[identity].front() == slot; });
                const std::string source = slot->source;
                lock.unlock();
                FileRunOutcome outcome = runOneFile(source, steps, handler_);
                lock.lock();
                slot->outcome = std::move(outcome);
                slot->done = true;
                std::deque<Taken*>& queue = sameOutput_[identity];
                queue.pop_front();
                if (queue.empty()) sameOutput_.erase(identity);
                changed_.notify_all();
            }
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
            feedEnded_ = true;
        }
        std::lock_guard lock(mutex_);
        --workersRunning_;
        changed_.notify_all();
    }

    const SourceFeed& feed_;
    const FileRunStepsMaker& makeSteps_;
    FileRunHandler& handler_;

    std::mutex mutex_;
    std::condition_variable changed_;
    // Sources taken and not yet reported, in order; a deque keeps the
    // addresses of its elements while it grows at the back and shrinks at
    // the front.
    std::deque<Taken> window_;
    // For each output taken and not yet done, the sources writing it, in order.
    std::map<std::string, std::deque<Taken*>> sameOutput_;
    unsigned workersRunning_ = 0;
    bool feedEnded_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
    std::vector<std::unique_ptr<HelperThread>> threads_;
};

}  // namespace

void runOverFilesInParallel(const SourceFeed& sources, const FileRunStepsMaker& makeSteps,
                            FileRunHandler& handler, unsigned jobs) {
    // Never more workers than sources: the first few are read to count them.
    std::deque<std::string> firstSources;
    if (jobs > 1 && handler.reportsMayWait()) {
        std::string source;
        while (firstSources.size() < jobs && sources(source)) firstSources.push_back(source);
    }
    const auto workers = static_cast<unsigned>(firstSources.size());
    const SourceFeed feed = [&](std::string& source) {
        if (firstSources.empty()) return sources(source);
        source = std::move(firstSources.front());
        firstSources.pop_front();
        return true;
    };
    if (workers >= 2) {
        ParallelRun run(feed, makeSteps, handler);
        if (run.start(workers) > 0) {
            reportOutcomes([&](FileRunOutcome& outcome) { return run.next(outcome); }, handler);
            run.finish();
            return;
        }
        // Not one thread could be started: the files are converted here,
        // one at a time, each on this thread alone.
        runOverFiles(feed, makeSteps(1), handler);
        return;
    }
    // One file at a time: each may use the cores the workers would have.
    runOverFiles(feed, makeSteps(jobs), handler);
}

}  // namespace leafwright
