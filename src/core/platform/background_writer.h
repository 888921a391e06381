#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace leafwright {

// Writes blocks to a descriptor on a thread of its own, in the order handed
// over, so that a long output is made on one core while the system copies
// the blocks already made on the other. The bytes reach the file exactly as
// if they had been written in turn. One block is in flight at a time: the
// one handing over waits while the previous block is still being written.
class BackgroundWriter {
  public:
    explicit BackgroundWriter(int fd);
    // Waits for the block in flight (its outcome is dropped: call finish()
    // to learn it).
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Hands over the first `size` bytes of `block` and gives back in `block`
    // an empty buffer of the same capacity to fill next. Returns the errno of
    // a write that failed before (nothing more is written then), or 0.
    int hand(std::vector<char>& block, std::size_t size);

    // Waits until every block handed over was written; returns the errno of
    // the first write that failed, or 0.
    int finish();

  private:
    void run();
    void waitIdle(std::unique_lock<std::mutex>& lock);

    int fd_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char> inFlight_;
    std::size_t inFlightSize_ = 0;
    bool busy_ = false;
    bool stopping_ = false;
    int failure_ = 0;
    std::thread thread_;
};

}  // namespace leafwright
