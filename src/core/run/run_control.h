#pragma once

#include <atomic>
#include <cstdint>

#include "core/platform/run_watch.h"

namespace leafwright {

// What a thread running a list shares with the thread that watches it: a
// stop request, and how far the current source has been read, every pass
// counted (a layout reads its source more than once).
class RunControl final : public RunWatch {
  public:
    void cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelRequested() const noexcept override {
        return cancelled_.load(std::memory_order_relaxed);
    }

    std::uint64_t sourceSize() const noexcept {
        return sourceSize_.load(std::memory_order_relaxed);
    }
    std::uint64_t sourceBytesRead() const noexcept {
        return sourceBytesRead_.load(std::memory_order_relaxed);
    }

    // Whether the current source is laid out on pages, and of the document
    // being written the pages written and in all (0 until its first page).
    bool sourceOnPages() const noexcept { return onPages_.load(std::memory_order_relaxed); }
    std::uint64_t pagesDone() const noexcept { return pagesDone_.load(std::memory_order_relaxed); }
    std::uint64_t pagesInAll() const noexcept {
        return pagesInAll_.load(std::memory_order_relaxed);
    }

    void startSource(std::uint64_t size) noexcept override {
        sourceBytesRead_.store(0, std::memory_order_relaxed);
        sourceSize_.store(size, std::memory_order_relaxed);
        onPages_.store(false, std::memory_order_relaxed);
    }
    void addSourceBytes(std::uint64_t bytes) noexcept override {
        sourceBytesRead_.fetch_add(bytes, std::memory_order_relaxed);
    }
    // The pages counted are those of the document of this source from here
    // on; a document of many sources, which opens each in turn, keeps them.
    void sourceBecomesPages() noexcept override {
        pagesInAll_.store(0, std::memory_order_relaxed);
        pagesDone_.store(0, std::memory_order_relaxed);
        onPages_.store(true, std::memory_order_relaxed);
    }
    void pagesWritten(std::uint64_t done, std::uint64_t total) noexcept override {
        pagesDone_.store(done, std::memory_order_relaxed);
        pagesInAll_.store(total, std::memory_order_relaxed);
    }

  private:
    std::atomic<bool> cancelled_{false};
    std::atomic<std::uint64_t> sourceSize_{0};
    std::atomic<std::uint64_t> sourceBytesRead_{0};
    std::atomic<bool> onPages_{false};
    std::atomic<std::uint64_t> pagesDone_{0};
    std::atomic<std::uint64_t> pagesInAll_{0};
};

// While an object of this class lives, `watch` (a RunControl, or the watch
// a helper thread takes over from the thread it helps) belongs to the run of
// the thread that made it: the run loop, the readers and the writer of that
// thread report to it and stop when it is cancelled (throwIfRunCancelled,
// core/platform/run_watch).
class RunControlScope {
  public:
    explicit RunControlScope(RunWatch& watch) : outer_(setRunWatch(&watch)) {}
    ~RunControlScope() { setRunWatch(outer_); }
    RunControlScope(const RunControlScope&) = delete;
    RunControlScope& operator=(const RunControlScope&) = delete;

  private:
    RunWatch* outer_;
};

}  // namespace leafwright
