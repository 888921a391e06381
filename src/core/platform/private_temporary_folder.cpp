#include "core/platform/private_temporary_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>

#include "core/platform/file_error.h"
#include "core/platform/signal_cleanup.h"
#include "core/platform/stream_copy.h"

namespace leafwright {

namespace {

constexpr int kNameAttempts = 100;

std::string randomFolderName() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string name = "leafwright-";
    for (int i = 0; i < 10; ++i) name += kLetters[device() % 36];
    return name;
}

}  // namespace

std::string temporaryRoot() {
    const char* root = std::getenv("TMPDIR");
    return root != nullptr && root[0] != '\0' ? root : "/tmp";
}

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

int PrivateTemporaryFolder::create(const std::string& name) {
    const std::string path = entry(name);
    const int file =
        ::openat(folderFd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (file < 0) throw FileError::fromErrno(path, errno);
    return file;
}

void PrivateTemporaryFolder::remove(const std::string& name) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] != name) continue;
        ::unlinkat(folderFd_, name.c_str(), 0);
        SignalCleanup::forget(entrySlots_[i]);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
        entrySlots_.erase(entrySlots_.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
}

void copyFileTo(const std::string& path, int fd, const std::string& shownTarget) {
    const int file = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0) throw FileError::fromErrno(path, errno);
    try {
        copyStream(file, path, fd, shownTarget);
    } catch (...) {
        ::close(file);
        throw;
    }
    ::close(file);
}

}  // namespace leafwright
