#include "core/platform/run_watch.h"

namespace leafwright {

namespace {
thread_local RunWatch* currentWatch = nullptr;
}  // namespace

RunWatch* currentRunWatch() noexcept {
    return currentWatch;
}

RunWatch* setRunWatch(RunWatch* watch) noexcept {
    RunWatch* outer = currentWatch;
    currentWatch = watch;
    return outer;
}

void throwIfRunCancelled() {
    if (currentWatch != nullptr && currentWatch->cancelRequested()) throw RunCancelled();
}

void noteSourceOpened(std::uint64_t size) noexcept {
    if (currentWatch != nullptr) currentWatch->startSource(size);
}

void noteSourceRead(std::uint64_t bytes) noexcept {
    if (currentWatch != nullptr) currentWatch->addSourceBytes(bytes);
}

void noteSourceBecomesPages() noexcept {
    if (currentWatch != nullptr) currentWatch->sourceBecomesPages();
}

void notePagesWritten(std::uint64_t done, std::uint64_t total) noexcept {
    if (currentWatch != nullptr) currentWatch->pagesWritten(done, total);
}

}  // namespace leafwright
