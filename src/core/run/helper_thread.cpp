#include "core/run/helper_thread.h"

#include <atomic>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "core/run/run_control.h"

namespace leafwright {

namespace {

// The helper threads that may still start, or -1 for as many as the system
// gives (while no ThreadStartLimit lives).
std::atomic<long> startsLeft{-1};

bool mayStart() noexcept {
    long left = startsLeft.load();
    while (left >= 0) {
        if (left == 0) return false;
        if (startsLeft.compare_exchange_weak(left, left - 1)) return true;
    }
    return true;
}

}  // namespace

struct HelperThread::State {
    bool started = false;
    std::exception_ptr failure;
    std::thread thread;
};

HelperThread::HelperThread(std::function<void()> work) : state_(std::make_unique<State>()) {
    if (!mayStart()) return;
    try {
        state_->thread =
            std::thread([state = state_.get(), work = std::move(work), watch = currentRunWatch()] {
                std::optional<RunControlScope> scope;
                if (watch != nullptr) scope.emplace(*watch);
                try {
                    work();
                } catch (...) {
                    state->failure = std::current_exception();
                }
            });
        state_->started = true;
    } catch (const std::system_error&) {
        // The system has no thread to give (EAGAIN): the work stays the
        // caller's.
    }
}

HelperThread::~HelperThread() {
    if (state_->thread.joinable()) state_->thread.join();
}

bool HelperThread::started() const noexcept {
    return state_->started;
}

void HelperThread::join() {
    if (!state_->thread.joinable()) return;
    state_->thread.join();
    if (state_->failure) std::rethrow_exception(state_->failure);
}

ThreadStartLimit::ThreadStartLimit(unsigned starts) : outer_(startsLeft.exchange(starts)) {}

ThreadStartLimit::~ThreadStartLimit() {
    startsLeft.store(outer_);
}

}  // namespace leafwright
