#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

// Carries page contents from the thread that makes them to the thread that
// writes them: numbers (each page's stream length before its content, and
// whatever else the two sides agree on) and content bytes, all in the order
// made. They travel in batches of about batchBytes, and the
// making side waits while batchesWaiting full batches are not yet taken, so
// the memory used stays the same however long the source.
class ContentPipe {
  public:
    static constexpr std::size_t kBatchBytes = 1 << 18;
    static constexpr std::size_t kBatchesWaiting = 8;

    // Thrown on the making side once the writing side gave up.
    struct Abandoned {};

    explicit ContentPipe(std::size_t batchBytes = kBatchBytes,
                         std::size_t batchesWaiting = kBatchesWaiting);
    ContentPipe(const ContentPipe&) = delete;
    ContentPipe& operator=(const ContentPipe&) = delete;

    // The making side. Both throw Abandoned once the writing side gave up.
    void putNumber(std::uint64_t number);
    void putBytes(std::string_view bytes);
    // Hands over what was put so far without waiting for a full batch, when
    // the making side turns to other work for a while.
    void flush();
    // Hands over what is left; the making side is done. A failure given is
    // thrown on the writing side once it has taken everything before it.
    void close(std::exception_ptr failure = nullptr) noexcept;

    // The writing side: the next number, and the next `count` bytes,
    // handed to write in pieces. Each waits for what it needs; it throws the
    // making side's failure when that side ended without handing it over.
    std::uint64_t takeNumber();
    // Whether takeNumber would return without waiting for the making side.
    bool numberReady();
    void takeBytes(std::uint64_t count, const std::function<void(std::string_view)>& write);
    // Waits until the making side is done, dropping whatever it still
    // hands over, and throws its failure, if any.
    void awaitClose();
    // The writing side gives up: the making side's next put throws.
    void abandon() noexcept;

  private:
    struct Batch {
        std::string bytes;
        std::vector<std::uint64_t> numbers;
    };

    void handOver();
    void takeNextBatch();

    const std::size_t batchBytes_;
    const std::size_t batchesWaiting_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> waiting_;
    std::vector<Batch> spare_;  // taken batches, kept for their capacity
    bool closed_ = false;
    bool abandoned_ = false;
    std::exception_ptr failure_;

    // The making side's batch, and the writing side's with how far it got.
    Batch filling_;
    Batch current_;
    std::size_t bytesTaken_ = 0;
    std::size_t numbersTaken_ = 0;
};

}  // namespace leafwright
