#pragma once

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

// What the reads and writes of a thread tell the run they work for, and
// where they learn that it was cancelled. A run sets one for each of its
// threads (RunControlScope, core/run/run_control); without one, nothing is
// reported and nothing stops.
class RunWatch {
  public:
    virtual bool cancelRequested() const noexcept = 0;
    // A source was opened (its size), and bytes of it were read.
    virtual void startSource(std::uint64_t size) noexcept = 0;
    virtual void addSourceBytes(std::uint64_t bytes) noexcept = 0;
    // The source opened last is laid out on pages: its readings are about
    // half of its work, the writing of its pages the other half.
    virtual void sourceBecomesPages() noexcept {}
    // Of the document being written, `done` of its `total` pages are
    // written (0 as its first page begins).
    virtual void pagesWritten([[maybe_unused]] std::uint64_t done,
                              [[maybe_unused]] std::uint64_t total) noexcept {}

  protected:
    ~RunWatch() = default;
};

// This thread's watch, or nullptr; setRunWatch makes `watch` (or none) this
// thread's and returns the one it replaces.
RunWatch* currentRunWatch() noexcept;
RunWatch* setRunWatch(RunWatch* watch) noexcept;

// A cancellation point: throws RunCancelled when this thread's run was asked
// to stop.
void throwIfRunCancelled();

// A source of the thread's run was opened (its size) or read from (bytes).
void noteSourceOpened(std::uint64_t size) noexcept;
void noteSourceRead(std::uint64_t bytes) noexcept;
// The source is laid out on pages; pages of the document were written.
void noteSourceBecomesPages() noexcept;
void notePagesWritten(std::uint64_t done, std::uint64_t total) noexcept;

}  // namespace leafwright
