#include "core/platform/scratch_file.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/platform/file_error.h"
#include "core/platform/private_temporary_folder.h"

namespace leafwright {

namespace {

constexpr const char* kEntryName = "scratch";
constexpr std::uint64_t kLargestReserve = std::uint64_t{256} << 20;

std::string procPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Whether the descriptor can be opened again by its /proc path.
bool reachableThroughProc(int fd) {
    return ::access(procPathOf(fd).c_str(), R_OK) == 0;
}

}  // namespace

std::uint64_t spoolReserve(std::uint64_t fileSystemBytes) {
    return std::min(fileSystemBytes / 100, kLargestReserve);
}

ScratchFile::ScratchFile() : folder_(temporaryRoot()) {
    if (!openUnnamed()) openInPrivateFolder();
}

ScratchFile::~ScratchFile() {
    ::close(fd_);
}

// O_EXCL keeps the file from ever being given a name.
bool ScratchFile::openUnnamed() {
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
        throw FileError::fromErrno(folder_, errno);
    }
    if (reachableThroughProc(fd_)) {
        path_ = procPathOf(fd_);
        return true;
    }
    ::close(fd_);
    fd_ = -1;
    return false;
}

void ScratchFile::openInPrivateFolder() {
    privateFolder_ = std::make_unique<PrivateTemporaryFolder>();
    fd_ = privateFolder_->create(kEntryName);
    if (reachableThroughProc(fd_)) {
        privateFolder_->remove(kEntryName);
        path_ = procPathOf(fd_);
    } else {
        path_ = privateFolder_->entry(kEntryName);
    }
}

void ScratchFile::append(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written =
            ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(size_));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw FileError::fromErrno(folder_, written < 0 ? errno : ENOSPC);
        size_ += static_cast<std::uint64_t>(written);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void ScratchFile::truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) throw FileError::fromErrno(folder_, errno);
    size_ = size;
}

void ScratchFile::readAt(std::uint64_t offset, char* to, std::size_t size) const {
    while (size > 0) {
        const ssize_t got = ::pread(fd_, to, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) throw FileError::fromErrno(folder_, got < 0 ? errno : EIO);
        offset += static_cast<std::uint64_t>(got);
        to += got;
        size -= static_cast<std::size_t>(got);
    }
}

namespace {

struct FileSystemRoom {
    std::uint64_t size, free;
};

std::optional<FileSystemRoom> roomOf(int fd) {
    struct statvfs room {};
    if (::fstatvfs(fd, &room) != 0) return std::nullopt;
    return FileSystemRoom{std::uint64_t{room.f_blocks} * room.f_frsize,
                          std::uint64_t{room.f_bavail} * room.f_frsize};
}

}  // namespace

std::optional<std::uint64_t> ScratchFile::reserveShort() const {
    const std::optional<FileSystemRoom> room = roomOf(fd_);
    if (!room || room->free >= spoolReserve(room->size)) return std::nullopt;
    return spoolReserve(room->size);
}

std::optional<std::uint64_t> ScratchFile::roomAboveReserve() const {
    const std::optional<FileSystemRoom> room = roomOf(fd_);
    if (!room) return std::nullopt;
    const std::uint64_t reserve = spoolReserve(room->size);
    return room->free > reserve ? room->free - reserve : 0;
}

void ScratchFile::release(std::uint64_t offset, std::uint64_t size) noexcept {
    // A file system without holes keeps the room until the file closes.
    (void)::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset),
                      static_cast<off_t>(size));
}

}  // namespace leafwright
