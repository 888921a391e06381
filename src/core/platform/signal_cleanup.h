#pragma once

#include <signal.h>

namespace leafwright {

// Temporary files that carry a name on disk are listed here while they exist,
// so that a signal that ends the program does not leave them behind. The list
// has a fixed number of slots filled before the name is created: the signal
// handler only walks it and calls unlinkat(), which is safe in a handler.
class SignalCleanup {
  public:
    // Lists the entry `name` of the open folder `folderFd` (both must stay
    // valid until forget()). Returns the slot, or -1 when every slot is taken
    // (the caller then works without a named temporary file). An entry that
    // is a folder (isFolder) is removed after every listed file, so it is
    // empty by then.
    static int remember(int folderFd, const char* name, bool isFolder = false) noexcept;
    static void forget(int slot) noexcept;
};

// The signals that a user, a timer or a resource limit sends and whose
// default action ends the process (SIGKILL cannot be caught; the faults of a
// crash are left to end it at once).
inline constexpr int kEndingSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGPIPE,   SIGQUIT,
                                         SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                         SIGXCPU, SIGXFSZ, SIGPWR,  SIGIO};

// Installs the handler for each of kEndingSignals (a signal the process
// inherited as ignored stays ignored). The handler removes every listed
// temporary file, restores the signal's default action and raises it again,
// so the caller sees the process ended by that signal (with a core dump
// where that is its default).
void removeTemporaryFilesOnSignals();

}  // namespace leafwright
