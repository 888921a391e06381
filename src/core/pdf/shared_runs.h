#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/pdf/content_pipe.h"
#include "core/pdf/pipelined_content.h"

namespace leafwright {

// Runs of a document's content shared out between the calling thread, which
// writes every run in order, and another thread, which makes runs and hands
// them over through a pipe. The other thread claims the runs one after
// another; the calling thread makes a run itself when it reaches one not
// claimed yet, and when a run of the other's is not in the pipe yet, it asks
// the other thread to leave it the next run that thread comes to, and makes
// that one instead of waiting. So the runs share out by themselves between
// the two threads, however fast each is.
class SharedRuns {
  public:
    // makeRun(run, pipe) puts a run's content on the other thread; each run
    // goes out after its number.
    using MakeRun = std::function<void(std::size_t run, ContentPipe& pipe)>;

    SharedRuns(std::size_t runCount, MakeRun makeRun,
               std::size_t batchBytes = ContentPipe::kBatchBytes);

    // The writing side, at the start of each run in order: true when the
    // calling thread makes the run itself, false when it comes from the
    // pipe, its number taken.
    bool startRun(std::size_t run);
    std::size_t runCount() const noexcept { return runCount_; }
    PipelinedContent& content() noexcept { return content_; }

  private:
    enum Claim : unsigned char { kUnclaimed, kOthers, kMine };

    bool claim(std::size_t run, Claim by) {
        unsigned char unclaimed = kUnclaimed;
        return claims_[run].compare_exchange_strong(unclaimed, by);
    }
    void makeOthersRuns(ContentPipe& pipe);

    std::size_t runCount_;
    MakeRun makeRun_;
    std::unique_ptr<std::atomic<unsigned char>[]> claims_;  // a Claim for each run
    // The calling thread asks the other to leave it a run.
    std::atomic<bool> runWanted_{false};
    PipelinedContent content_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
