#include "core/pdf/shared_runs.h"

#include <stdexcept>
#include <utility>

namespace leafwright {

SharedRuns::SharedRuns(std::size_t runCount, MakeRun makeRun, std::size_t batchBytes)
    : runCount_(runCount),
      makeRun_(std::move(makeRun)),
      claims_(new std::atomic<unsigned char>[runCount]()),
      content_([this](ContentPipe& pipe) { makeOthersRuns(pipe); }, batchBytes) {}

// A run left for the calling thread is one it has not reached yet, so it can
// still claim it.
void SharedRuns::makeOthersRuns(ContentPipe& pipe) {
    for (std::size_t run = 0; run < runCount_; ++run) {
        if (runWanted_.exchange(false) || !claim(run, kOthers)) continue;
        pipe.putNumber(run);
        makeRun_(run, pipe);
        // The writing side may be waiting for this run.
        pipe.flush();
    }
}

bool SharedRuns::startRun(std::size_t run) {
    if (claim(run, kMine)) return true;
    if (!content_.numberReady()) runWanted_.store(true);
    if (content_.takeNumber() != run) throw std::logic_error("the runs came out of order");
    return false;
}

}  // namespace leafwright
