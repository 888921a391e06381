#include "core/platform/input_spool.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/platform/file_error.h"
#include "core/platform/private_temporary_folder.h"
#include "core/platform/stream_copy.h"

namespace leafwright {

namespace {

constexpr std::uint64_t kMegabyte = 1 << 20;
constexpr std::uint64_t kLargestReserve = 256 * kMegabyte;
// How often the file system's free space is looked at.
constexpr std::uint64_t kLookAtFreeSpaceEvery = kMegabyte;
constexpr const char* kEntryName = "input";

std::string procPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Whether the descriptor can be opened again by its /proc path.
bool reachableThroughProc(int fd) {
    return ::access(procPathOf(fd).c_str(), R_OK) == 0;
}

std::string megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + kMegabyte - 1) / kMegabyte) + " MB";
}

}  // namespace

std::uint64_t spoolReserve(std::uint64_t fileSystemBytes) {
    return std::min(fileSystemBytes / 100, kLargestReserve);
}

InputSpool::InputSpool(int fd, const std::string& shownSource, const SpoolLimits& limits) {
    const std::string root = temporaryRoot();
    if (!openUnnamed(root)) openInPrivateFolder();
    try {
        fill(fd, shownSource, limits);
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

InputSpool::~InputSpool() {
    ::close(fd_);
}

// O_EXCL keeps the file from ever being given a name.
bool InputSpool::openUnnamed(const std::string& root) {
    fd_ = ::open(root.c_str(), O_TMPFILE | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        throw FileError::fromErrno(root, errno);
    }
    if (reachableThroughProc(fd_)) {
        path_ = procPathOf(fd_);
        return true;
    }
    ::close(fd_);
    fd_ = -1;
    return false;
}

void InputSpool::openInPrivateFolder() {
    folder_ = std::make_unique<PrivateTemporaryFolder>();
    fd_ = folder_->create(kEntryName);
    if (reachableThroughProc(fd_)) {
        folder_->remove(kEntryName);
        path_ = procPathOf(fd_);
    } else {
        path_ = folder_->entry(kEntryName);
    }
}

void InputSpool::fill(int from, const std::string& shownSource, const SpoolLimits& limits) {
    const std::string folder = temporaryRoot();
    std::uint64_t nextLook = kLookAtFreeSpaceEvery;
    copyStream(from, shownSource, fd_, folder, [&](std::uint64_t copied) {
        if (limits.maxBytes && copied > *limits.maxBytes)
            throw FileError(shownSource, "not read whole: more than " + limits.maxBytesName);
        if (copied < nextLook) return;
        nextLook = copied + kLookAtFreeSpaceEvery;
        struct statvfs room {};
        if (::fstatvfs(fd_, &room) != 0) return;
        const std::uint64_t size = std::uint64_t{room.f_blocks} * room.f_frsize;
        const std::uint64_t free = std::uint64_t{room.f_bavail} * room.f_frsize;
        if (free < spoolReserve(size))
            throw FileError(shownSource, "not read whole: " + folder + " has less than " +
                                             megabytes(spoolReserve(size)) + " free");
    });
}

}  // namespace leafwright
