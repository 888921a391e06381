#include "core/run/shared_stretches.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "core/run/content_pipe.h"
#include "core/run/helper_thread.h"

namespace leafwright {

void SharedStretches::Output::putNumber(std::uint64_t number) {
    pipe_.putNumber(number);
}

void SharedStretches::Output::putBytes(std::string_view bytes) {
    pipe_.putBytes(bytes);
}

// The helper's making ends in the pipe: done, abandoned by the writing side,
// or failed, its failure carried over to be thrown on the writing side.
SharedStretches::SharedStretches(std::size_t count, MakeStretch make, std::size_t batchBytes)
    : count_(count),
      make_(std::move(make)),
      claims_(new std::atomic<unsigned char>[count]()),
      pipe_(std::make_unique<ContentPipe>(batchBytes)),
      helper_(std::make_unique<HelperThread>([this] {
          try {
              makeHelpersStretches();
              pipe_->close();
          } catch (const ContentPipe::Abandoned&) {
              pipe_->close();
          } catch (...) {
              pipe_->close(std::current_exception());
          }
      })) {}

// The helper stops at its next put; the helper's member, ending first,
// waits for it.
SharedStretches::~SharedStretches() {
    pipe_->abandon();
    helper_.reset();
}

// A stretch left for the calling thread is one it has not reached yet, so it
// can still claim it. Each stretch goes out after its number.
void SharedStretches::makeHelpersStretches() {
    Output output(*pipe_);
    for (std::size_t stretch = 0; stretch < count_; ++stretch) {
        if (stretchWanted_.exchange(false) || !claim(stretch, kHelpers)) continue;
        pipe_->putNumber(stretch);
        make_(stretch, output);
        // The writing side may be waiting for this stretch.
        pipe_->flush();
    }
}

bool SharedStretches::startStretch(std::size_t stretch) {
    if (claim(stretch, kWriters)) return true;
    if (!pipe_->numberReady()) stretchWanted_.store(true);
    if (pipe_->takeNumber() != stretch) throw std::logic_error("the stretches came out of order");
    return false;
}

std::uint64_t SharedStretches::takeNumber() {
    return pipe_->takeNumber();
}

void SharedStretches::takeBytes(std::uint64_t count,
                                const std::function<void(std::string_view)>& take) {
    pipe_->takeBytes(count, take);
}

bool SharedStretches::helperStarted() const noexcept {
    return helper_->started();
}

void SharedStretches::finish() {
    if (helperStarted()) pipe_->awaitClose();
}

}  // namespace leafwright
