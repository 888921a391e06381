#include "core/platform/background_writer.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace leafwright {

BackgroundWriter::BackgroundWriter(int fd) : fd_(fd), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock lock(mutex_);
        waitIdle(lock);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::waitIdle(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [&] { return !busy_; });
}

int BackgroundWriter::hand(std::vector<char>& block, std::size_t size) {
    std::unique_lock lock(mutex_);
    waitIdle(lock);
    if (failure_ != 0) return failure_;
    // The block written last becomes the next one to fill.
    if (inFlight_.size() != block.size()) inFlight_.resize(block.size());
    std::swap(inFlight_, block);
    inFlightSize_ = size;
    busy_ = true;
    changed_.notify_all();
    return 0;
}

int BackgroundWriter::finish() {
    std::unique_lock lock(mutex_);
    waitIdle(lock);
    return failure_;
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return busy_ || stopping_; });
        if (!busy_) return;
        // The block is this thread's alone until busy_ is cleared.
        lock.unlock();
        int error = 0;
        std::size_t done = 0;
        while (done < inFlightSize_) {
            const ssize_t wrote = ::write(fd_, inFlight_.data() + done, inFlightSize_ - done);
            if (wrote < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            done += static_cast<std::size_t>(wrote);
        }
        lock.lock();
        if (error != 0 && failure_ == 0) failure_ = error;
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace leafwright
