#pragma once

#include <functional>
#include <memory>

namespace leafwright {

// Work done on a thread of its own for the run of the calling thread: the
// thread takes on the calling thread's RunControl, so a cancelled run stops
// it too. When the system cannot start one more thread (its limit on
// threads or on memory reached), nothing starts: started() is false and the
// work never runs, so the caller does it itself or goes on with fewer
// threads. Destroying the object waits for the work.
class HelperThread {
  public:
    explicit HelperThread(std::function<void()> work);
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    bool started() const noexcept;
    // Waits for the work to end and throws what it failed with; returns at
    // once when it never started.
    void join();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// For tests: while one lives, only the next `starts` helper threads start;
// the ones asked for after them find the system out of threads.
class ThreadStartLimit {
  public:
    explicit ThreadStartLimit(unsigned starts);
    ~ThreadStartLimit();
    ThreadStartLimit(const ThreadStartLimit&) = delete;
    ThreadStartLimit& operator=(const ThreadStartLimit&) = delete;

  private:
    long outer_;
};

}  // namespace leafwright
