#pragma once

#include <functional>
#include <memory>

namespace leafwright {

// Runs work on a thread of its own for the run of the calling thread (a
// cancelled run stops it too) until join(), which throws what it failed
// with. Destroying it waits for the work.
class WorkAlongside {
  public:
    explicit WorkAlongside(std::function<void()> work);
    ~WorkAlongside();
    WorkAlongside(const WorkAlongside&) = delete;
    WorkAlongside& operator=(const WorkAlongside&) = delete;
    void join();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace leafwright
