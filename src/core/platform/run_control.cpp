#include "core/platform/run_control.h"

namespace leafwright {

namespace {
thread_local RunControl* currentControl = nullptr;
}  // namespace

RunControlScope::RunControlScope(RunControl& control) : outer_(currentControl) {
    currentControl = &control;
}

RunControlScope::~RunControlScope() {
    currentControl = outer_;
}

RunControl* currentRunControl() noexcept {
    return currentControl;
}

void throwIfRunCancelled() {
    if (currentControl != nullptr && currentControl->cancelRequested()) throw RunCancelled();
}

void noteSourceOpened(std::uint64_t size) noexcept {
    if (currentControl != nullptr) currentControl->startSource(size);
}

void noteSourceRead(std::uint64_t bytes) noexcept {
    if (currentControl != nullptr) currentControl->addSourceBytes(bytes);
}

}  // namespace leafwright
