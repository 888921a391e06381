#pragma once

#include <atomic>
#include <cstdint>
#include <exception>

namespace leafwright {

// Thrown at a cancellation point once the run was asked to stop. It is no
// failure of the file at hand: the run loop ends without reporting that file,
// and the writer's temporary file goes as the stack unwinds.
class RunCancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "the run was cancelled"; }
};

// What a thread running a list shares with the thread that watches it: a
// stop request, and how far the current source has been read.
class RunControl {
  public:
    void cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const noexcept { return cancelled_.load(std::memory_order_relaxed); }

    // The size of the source being read, and the bytes read from it so far,
    // every pass counted (a layout reads its source more than once).
    std::uint64_t sourceSize() const noexcept {
        return sourceSize_.load(std::memory_order_relaxed);
    }
    std::uint64_t sourceBytesRead() const noexcept {
        return sourceBytesRead_.load(std::memory_order_relaxed);
    }

    void startSource(std::uint64_t size) noexcept {
        sourceBytesRead_.store(0, std::memory_order_relaxed);
        sourceSize_.store(size, std::memory_order_relaxed);
    }
    void addSourceBytes(std::uint64_t bytes) noexcept {
        sourceBytesRead_.fetch_add(bytes, std::memory_order_relaxed);
    }

  private:
    std::atomic<bool> cancelled_{false};
    std::atomic<std::uint64_t> sourceSize_{0};
    std::atomic<std::uint64_t> sourceBytesRead_{0};
};

// While an object of this class lives, `control` belongs to the run of the
// thread that made it: the run loop, the readers and the writer of that
// thread report to it and stop when it is cancelled. Without one, nothing is
// reported and nothing stops a run.
class RunControlScope {
  public:
    explicit RunControlScope(RunControl& control);
    ~RunControlScope();
    RunControlScope(const RunControlScope&) = delete;
    RunControlScope& operator=(const RunControlScope&) = delete;

  private:
    RunControl* outer_;
};

// The control of this thread's run, or nullptr: a thread that works for
// the run takes it on with a RunControlScope of its own.
RunControl* currentRunControl() noexcept;

// A cancellation point: throws RunCancelled when this thread's run was asked
// to stop.
void throwIfRunCancelled();

// A source of the thread's run was opened (its size) or read from (bytes).
void noteSourceOpened(std::uint64_t size) noexcept;
void noteSourceRead(std::uint64_t bytes) noexcept;

}  // namespace leafwright
