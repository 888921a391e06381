#include "core/platform/signal_cleanup.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace leafwright {

namespace {

constexpr int kSlots = 256;

enum SlotState : int { kFree = 0, kFilling = 1, kArmed = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    int folderFd = -1;
    int flags = 0;  // AT_REMOVEDIR for a folder
    char name[NAME_MAX + 1] = {};
};

Slot slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free flags");

void removeAndReraise(int signalNumber) {
    // Files first, then the folders that held them.
    for (int flags : {0, AT_REMOVEDIR}) {
        for (Slot& slot : slots) {
            if (slot.state.load(std::memory_order_acquire) == kArmed && slot.flags == flags)
                ::unlinkat(slot.folderFd, slot.name, flags);
        }
    }
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(signalNumber, &standard, nullptr);
    ::raise(signalNumber);
}

}  // namespace

int SignalCleanup::remember(int folderFd, const char* name, bool isFolder) noexcept {
    std::size_t length = std::strlen(name);
    if (length > NAME_MAX) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel))
            continue;
        slots[i].folderFd = folderFd;
        slots[i].flags = isFolder ? AT_REMOVEDIR : 0;
        std::memcpy(slots[i].name, name, length + 1);
        slots[i].state.store(kArmed, std::memory_order_release);
        return i;
    }
    return -1;
}

void SignalCleanup::forget(int slot) noexcept {
    if (slot >= 0 && slot < kSlots) slots[slot].state.store(kFree, std::memory_order_release);
}

void removeTemporaryFilesOnSignals() {
    for (int signalNumber : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0) continue;
        if (current.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = removeAndReraise;
        sigemptyset(&handler.sa_mask);
        // The other signals of the set wait while the files are removed.
        for (int other : kEndingSignals) sigaddset(&handler.sa_mask, other);
        handler.sa_flags = SA_RESETHAND;
        ::sigaction(signalNumber, &handler, nullptr);
    }
}

}  // namespace leafwright
