#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace leafwright {

class PrivateTemporaryFolder;

// The free space a scratch file leaves its file system: 1 % of its size or
// 256 MB, whichever is less, so that filling it cannot stop everything else
// that writes there.
std::uint64_t spoolReserve(std::uint64_t fileSystemBytes);

// A file of this process's own, for bytes the program writes and reads back
// itself. It has no name: it is made unnamed (O_TMPFILE, mode 0600) under
// temporaryRoot(), so no signal, SIGKILL included, can leave it behind and no
// other process can open it by a path; where the file system has no unnamed
// files, it is made in a PrivateTemporaryFolder and its name removed as soon
// as it is open. Others may reach it through path(), /proc/self/fd/N (without
// /proc, the named file in the private folder, removed at exit).
class ScratchFile {
  public:
    // Throws FileError naming the temporary folder when no file can be made.
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int fd() const noexcept { return fd_; }
    const std::string& path() const noexcept { return path_; }
    // The folder the file is in, to name in a message.
    const std::string& folder() const noexcept { return folder_; }

    // Writes all of bytes at the file's end; throws FileError naming the
    // folder when a write fails (a full file system among others).
    void append(std::string_view bytes);
    // Reads exactly `size` bytes from `offset` into `to`; throws FileError
    // naming the folder when they cannot be read.
    void readAt(std::uint64_t offset, char* to, std::size_t size) const;
    std::uint64_t size() const noexcept { return size_; }
    // Cuts the file to its first `size` bytes; throws like append.
    void truncate(std::uint64_t size);
    // The reserve (spoolReserve) when its file system has less free space
    // than that left; nothing when it has enough, or cannot tell.
    std::optional<std::uint64_t> reserveShort() const;
    // The free space of its file system above the reserve (0 below it);
    // nothing when it cannot tell.
    std::optional<std::uint64_t> roomAboveReserve() const;
    // Gives the room of `size` bytes from `offset` back to the file system
    // (their bytes read as zeros from then on), where it can.
    void release(std::uint64_t offset, std::uint64_t size) noexcept;

  private:
    bool openUnnamed();
    void openInPrivateFolder();

    int fd_ = -1;
    std::string folder_;
    std::string path_;
    std::uint64_t size_ = 0;
    std::unique_ptr<PrivateTemporaryFolder> privateFolder_;
};

}  // namespace leafwright
