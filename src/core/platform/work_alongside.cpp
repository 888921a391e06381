#include "core/platform/work_alongside.h"

#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "core/platform/run_control.h"

namespace leafwright {

struct WorkAlongside::State {
    std::exception_ptr failure;
    std::thread thread;
};

WorkAlongside::WorkAlongside(std::function<void()> work) : state_(std::make_unique<State>()) {
    state_->thread =
        std::thread([state = state_.get(), work = std::move(work), control = currentRunControl()] {
            std::optional<RunControlScope> scope;
            if (control != nullptr) scope.emplace(*control);
            try {
                work();
            } catch (...) {
                state->failure = std::current_exception();
            }
        });
}

WorkAlongside::~WorkAlongside() {
    if (state_->thread.joinable()) state_->thread.join();
}

void WorkAlongside::join() {
    state_->thread.join();
    if (state_->failure) std::rethrow_exception(state_->failure);
}

}  // namespace leafwright
