#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/scratch_file.h"

namespace leafwright {

// How far a spool may grow.
struct SpoolLimits {
    // The most bytes it may hold; unset: as many as the file system has room
    // for.
    std::optional<std::uint64_t> maxBytes;
    // How the bound is named in the message of a spool that passes it
    // ("--max-input 10M").
    std::string maxBytesName;
};

// Everything that can be read from a descriptor (standard input), kept in a
// ScratchFile, so that a source can be read twice and memory stays flat
// however long it is. Readers open it through path().
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

    const std::string& path() const noexcept { return file_.path(); }

  private:
    void fill(int from, const std::string& shownSource, const SpoolLimits& limits);

    ScratchFile file_;
};

}  // namespace leafwright
