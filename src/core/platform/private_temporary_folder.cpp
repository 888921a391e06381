#include "core/platform/private_temporary_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/signal_cleanup.h"

namespace leafwright {

namespace {

constexpr int kNameAttempts = 100;
constexpr std::size_t kBlockSize = 1 << 17;

std::string temporaryRoot() {
    const char* root = std::getenv("TMPDIR");
    return root != nullptr && root[0] != '\0' ? root : "/tmp";
}

std::string randomFolderName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string name = "leafwright-";
    for (int i = 0; i < 10; ++i) name += kLetters[device() % 36];
    return name;
}

// Writes all of [data, data + size) to fd, going on after short writes.
// Returns 0, or the errno of the write that failed.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return 0;
}

// Copies from `from` to `to` until the end; throws FileError naming the side
// that failed.
void copyAll(int from, const std::string& fromName, int to, const std::string& toName) {
    std::vector<char> block(kBlockSize);
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError::fromErrno(fromName, errno);
        }
        if (got == 0) return;
        if (int error = writeAll(to, block.data(), static_cast<std::size_t>(got)); error != 0)
            throw FileError::fromErrno(toName, error);
    }
}

}  // namespace

PrivateTemporaryFolder::PrivateTemporaryFolder() {
    const std::string root = temporaryRoot();
    rootFd_ = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (rootFd_ < 0) throw FileError::fromErrno(root, errno);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name_ = randomFolderName();
        // Listed before it exists: no moment passes in which a signal could
        // leave it behind.
        folderSlot_ = SignalCleanup::remember(rootFd_, name_.c_str(), true);
        if (::mkdirat(rootFd_, name_.c_str(), 0700) == 0) {
            folderFd_ =
                ::openat(rootFd_, name_.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (folderFd_ >= 0) {
                path_ = root + (root.back() == '/' ? "" : "/") + name_;
                return;
            }
        }
        const int error = errno;
        if (error != EEXIST) ::unlinkat(rootFd_, name_.c_str(), AT_REMOVEDIR);
        SignalCleanup::forget(folderSlot_);
        if (error != EEXIST) {
            ::close(rootFd_);
            throw FileError::fromErrno(root, error);
        }
    }
    ::close(rootFd_);
    throw FileError::fromErrno(root, EEXIST);
}

PrivateTemporaryFolder::~PrivateTemporaryFolder() {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        ::unlinkat(folderFd_, entries_[i].c_str(), 0);
        SignalCleanup::forget(entrySlots_[i]);
    }
    ::close(folderFd_);
    ::unlinkat(rootFd_, name_.c_str(), AT_REMOVEDIR);
    SignalCleanup::forget(folderSlot_);
    ::close(rootFd_);
}

std::string PrivateTemporaryFolder::entry(const std::string& name) {
    entries_.push_back(name);
    entrySlots_.push_back(SignalCleanup::remember(folderFd_, name.c_str()));
    return path_ + "/" + name;
}

std::string PrivateTemporaryFolder::copyIn(const std::string& name, int fd,
                                           const std::string& shownSource) {
    const std::string path = entry(name);
    const int file = ::openat(folderFd_, name.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file < 0) throw FileError::fromErrno(path, errno);
    try {
        copyAll(fd, shownSource, file, path);
    } catch (...) {
        ::close(file);
        throw;
    }
    if (::close(file) != 0) throw FileError::fromErrno(path, errno);
    return path;
}

void copyFileTo(const std::string& path, int fd, const std::string& shownTarget) {
    const int file = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) throw FileError::fromErrno(path, errno);
    try {
        copyAll(file, path, fd, shownTarget);
    } catch (...) {
        ::close(file);
        throw;
    }
    ::close(file);
}

}  // namespace leafwright
