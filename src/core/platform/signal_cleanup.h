#pragma once

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

// Installs the handler for SIGINT, SIGTERM, SIGHUP and SIGPIPE (a signal the
// process inherited as ignored stays ignored). The handler removes every
// listed temporary file, restores the signal's default action and raises it
// again, so the caller sees the process ended by that signal.
void removeTemporaryFilesOnSignals();

}  // namespace leafwright
