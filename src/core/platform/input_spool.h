#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace leafwright {

class PrivateTemporaryFolder;

// How far a spool may grow.
struct SpoolLimits {
    // The most bytes it may hold; unset: as many as the file system has room
    // for.
    std::optional<std::uint64_t> maxBytes;
    // How the bound is named in the message of a spool that passes it
    // ("--max-input 10M").
    std::string maxBytesName;
};

// The free space a spool leaves its file system: 1 % of its size or 256 MB,
// whichever is less, so that filling it cannot stop everything else that
// writes there.
std::uint64_t spoolReserve(std::uint64_t fileSystemBytes);

// Everything that can be read from a descriptor (standard input), kept in a
// file of this process's own, so that a source can be read twice and memory
// stays flat however long it is. The file has no name: it is made unnamed
// (O_TMPFILE, mode 0600) under temporaryRoot(), so no signal, SIGKILL
// included, can leave it behind; where the file system has no unnamed files,
// it is made in a PrivateTemporaryFolder and its name removed as soon as it
// is open. Readers open it through path(), /proc/self/fd/N (without /proc,
// the named file in the private folder, removed at exit).
class InputSpool {
  public:
    // Copies everything from `fd`. Stops when the spool would pass
    // limits.maxBytes, or when its file system's free space falls under
    // spoolReserve (looked at every megabyte), and then throws FileError
    // naming `shownSource`, the spool removed; also for a read that fails.
    // A write that fails throws FileError naming the spool's folder.
    InputSpool(int fd, const std::string& shownSource, const SpoolLimits& limits = {});
    ~InputSpool();
    InputSpool(const InputSpool&) = delete;
    InputSpool& operator=(const InputSpool&) = delete;

    const std::string& path() const noexcept { return path_; }

  private:
    bool openUnnamed(const std::string& root);
    void openInPrivateFolder();
    void fill(int from, const std::string& shownSource, const SpoolLimits& limits);

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<PrivateTemporaryFolder> folder_;
};

}  // namespace leafwright
