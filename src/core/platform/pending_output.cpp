#include "core/platform/pending_output.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/new_file_mode.h"
#include "core/platform/pending_output_seam.h"
#include "core/platform/replacement_batch.h"
#include "core/platform/signal_cleanup.h"

namespace leafwright {

namespace {

constexpr int kNameAttempts = 100;
// Longer names get a fixed prefix, so the temporary name stays within the
// file system's limit.
constexpr std::size_t kLongestNameInTemporaryName = 200;

// Six characters for a temporary name, different on every call.
std::string randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::uint64_t state = [] {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
               static_cast<std::uint64_t>(::getpid());
    }();
    // splitmix64
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    std::string suffix(6, 'x');
    for (char& c : suffix) {
        c = kLetters[z % 62];
        z /= 62;
    }
    return suffix;
}

std::string procPathOf(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// The name of a user or group from the system's database, or its number.
template <typename Entry, typename Id, typename Lookup>
std::string nameOf(Id id, Lookup lookup, char* Entry::*name) {
    std::vector<char> buffer(16384);
    Entry entry{};
    Entry* found = nullptr;
    if (lookup(id, &entry, buffer.data(), buffer.size(), &found) == 0 && found) return found->*name;
    return std::to_string(id);
}

std::string userName(uid_t uid) {
    return nameOf<passwd>(uid, ::getpwuid_r, &passwd::pw_name);
}

std::string groupName(gid_t gid) {
    return nameOf<group>(gid, ::getgrgid_r, &group::gr_name);
}

void flushFolder(int folderFd) {
    int folder = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

thread_local ReplacedFolderFlush* currentRun = nullptr;

bool isFolder(int folderFd, const std::string& name) {
    struct stat info {};
    return ::fstatat(folderFd, name.c_str(), &info, 0) == 0 && S_ISDIR(info.st_mode);
}

// A device, a pipe or a socket at the target, or a link to one or into
// /proc (/dev/stdout leads to whatever the opener's descriptor is): renaming
// over it would take it away from everyone who uses it (/dev/null, say, run
// as root), and a reader waiting at a pipe would get nothing. A link to a
// regular file, or to nothing, is replaced as a file is.
bool isSpecialFile(int folderFd, const std::string& name) {
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISLNK(info.st_mode)) {
        constexpr std::string_view kProc = "/proc/";
        char target[8];
        const ssize_t length = ::readlinkat(folderFd, name.c_str(), target, sizeof target);
        if (length >= static_cast<ssize_t>(kProc.size()) &&
            std::string_view(target, kProc.size()) == kProc)
            return true;
        if (::fstatat(folderFd, name.c_str(), &info, 0) != 0) return false;
    }
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// Why the entry at the target is never replaced, or nullptr when it may be.
const char* refusalOfEntry(int folderFd, const std::string& name) {
    if (isFolder(folderFd, name)) return "Is a directory";
    if (isSpecialFile(folderFd, name)) return "is not a regular file; not replaced";
    return nullptr;
}

}  // namespace

PendingOutput::PendingOutput(std::string targetPath) : targetPath_(std::move(targetPath)) {
    std::size_t slash = targetPath_.rfind('/');
    folder_ = slash == std::string::npos ? "." : slash == 0 ? "/" : targetPath_.substr(0, slash);
    name_ = slash == std::string::npos ? targetPath_ : targetPath_.substr(slash + 1);
    if (name_.empty() || name_ == "." || name_ == "..")
        throw FileError(targetPath_, "names no file");

    // Every later step names entries relative to this folder, so a folder
    // swapped for another (or for a link) meanwhile cannot redirect them.
    folderFd_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) throw FileError::fromErrno(targetPath_, errno);
    if (const char* refused = refusalOfEntry(folderFd_, name_)) {
        discard();
        throw FileError(targetPath_, refused);
    }
    PendingOutputSeam* seam = PendingOutputSeam::active();
    try {
        if ((seam != nullptr && seam->namedTemporary) || !createUnnamed()) createNamed();
    } catch (...) {
        discard();
        throw;
    }
    if (seam != nullptr && seam->afterCreate) seam->afterCreate(*this);
}

PendingOutput::~PendingOutput() {
    discard();
}

// An unnamed file gets the mode a new file gets in this folder (umask or
// default ACL) from the kernel; no other user can open it, having no name.
bool PendingOutput::createUnnamed() {
    fd_ = ::openat(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    // It gets its name through /proc/self/fd; without procfs it never could.
    // Once seen to be there, procfs is not looked for again for every file.
    static std::atomic<bool> procFdSeen{false};
    if (procFdSeen.load(std::memory_order_relaxed)) return true;
    if (::access(procPathOf(fd_).c_str(), F_OK) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    procFdSeen.store(true, std::memory_order_relaxed);
    return true;
}

void PendingOutput::createNamed() {
    std::string base = name_.size() > kLongestNameInTemporaryName ? "leafwright" : name_;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporaryName_ = "." + base + "." + randomSuffix();
        // Listed before it exists, so no moment passes in which a signal
        // could leave it behind.
        cleanupSlot_ = SignalCleanup::remember(folderFd_, temporaryName_.c_str());
        fd_ = ::openat(folderFd_, temporaryName_.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) return;
        int error = errno;
        forgetTemporaryName();
        if (error != EEXIST) throw FileError::fromErrno(targetPath_, error);
    }
    throw FileError::fromErrno(targetPath_, EEXIST);
}

void PendingOutput::forgetTemporaryName() noexcept {
    SignalCleanup::forget(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryName_.clear();
}

void PendingOutput::discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporaryName_.empty()) ::unlinkat(folderFd_, temporaryName_.c_str(), 0);
    forgetTemporaryName();
    if (folderFd_ >= 0) ::close(folderFd_);
    folderFd_ = -1;
}

void PendingOutput::closeFile() {
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) throw FileError::fromErrno(targetPath_, errno);
}

// The file whose last bytes may be lost is the one just created: it goes,
// rather than stand there as done.
void PendingOutput::closeNewFile() {
    try {
        closeFile();
    } catch (...) {
        ::unlinkat(folderFd_, name_.c_str(), 0);
        throw;
    }
}

// Gives the unnamed file the target's name; linkat never replaces an entry.
bool PendingOutput::linkNew() {
    if (::linkat(AT_FDCWD, procPathOf(fd_).c_str(), folderFd_, name_.c_str(), AT_SYMLINK_FOLLOW) ==
        0)
        return true;
    if (errno == EEXIST) return false;
    throw FileError::fromErrno(targetPath_, errno);
}

// Gives the named temporary file the target's name without replacing an
// entry: renameat2 where the file system has it, else a hard link, else a
// look right before the rename (a narrow window that such folders keep).
bool PendingOutput::renameNew() {
    if (::fchmod(fd_, newFileMode(folder_)) != 0) throw FileError::fromErrno(targetPath_, errno);
    const char* from = temporaryName_.c_str();
    const char* to = name_.c_str();
    if (::renameat2(folderFd_, from, folderFd_, to, RENAME_NOREPLACE) == 0) {
        forgetTemporaryName();
        return true;
    }
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) throw FileError::fromErrno(targetPath_, errno);
    if (::linkat(folderFd_, from, folderFd_, to, 0) == 0) {
        ::unlinkat(folderFd_, from, 0);
        forgetTemporaryName();
        return true;
    }
    if (errno == EEXIST) return false;
    struct stat entry {};
    if (::fstatat(folderFd_, to, &entry, AT_SYMLINK_NOFOLLOW) == 0) return false;
    if (::renameat(folderFd_, from, folderFd_, to) != 0)
        throw FileError::fromErrno(targetPath_, errno);
    forgetTemporaryName();
    return true;
}

// A replaced regular file keeps its owner and group (before the mode, since a
// change of owner clears setuid bits) and its permission bits less setuid and
// setgid. Where the owner cannot be kept, the file is not replaced: the
// program would otherwise take a file away from its owner.
void PendingOutput::keepOwnerAndMode() {
    struct stat old {};
    if (::fstatat(folderFd_, name_.c_str(), &old, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(old.st_mode)) {
        // Nothing, or a link that is replaced (its target stays): the output
        // is a new file.
        if (!temporaryName_.empty() && ::fchmod(fd_, newFileMode(folder_)) != 0)
            throw FileError::fromErrno(targetPath_, errno);
        return;
    }
    struct stat mine {};
    if (::fstat(fd_, &mine) != 0) throw FileError::fromErrno(targetPath_, errno);
    if ((old.st_uid != mine.st_uid || old.st_gid != mine.st_gid) &&
        ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
        if (old.st_uid != mine.st_uid)
            throw FileError(targetPath_, "belongs to " + userName(old.st_uid) + "; not replaced");
        throw FileError(targetPath_,
                        "belongs to group " + groupName(old.st_gid) + "; not replaced");
    }
    if (::fchmod(fd_, old.st_mode & 01777) != 0) throw FileError::fromErrno(targetPath_, errno);
}

// The unnamed file needs a name before rename() can put it in place; it gets
// one only right before the rename.
std::string PendingOutput::linkUnderHiddenName() {
    std::string procPath = procPathOf(fd_);
    std::string base = name_.size() > kLongestNameInTemporaryName ? "leafwright" : name_;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporaryName_ = "." + base + "." + randomSuffix();
        cleanupSlot_ = SignalCleanup::remember(folderFd_, temporaryName_.c_str());
        if (::linkat(AT_FDCWD, procPath.c_str(), folderFd_, temporaryName_.c_str(),
                     AT_SYMLINK_FOLLOW) == 0)
            return temporaryName_;
        int error = errno;
        forgetTemporaryName();
        if (error != EEXIST) throw FileError::fromErrno(targetPath_, error);
    }
    throw FileError::fromErrno(targetPath_, EEXIST);
}

void PendingOutput::prepareReplacement() {
    if (const char* refused = refusalOfEntry(folderFd_, name_))
        throw FileError(targetPath_, refused);
    keepOwnerAndMode();
}

void PendingOutput::finishReplacement() {
    if (temporaryName_.empty()) linkUnderHiddenName();
    if (::renameat(folderFd_, temporaryName_.c_str(), folderFd_, name_.c_str()) != 0)
        throw FileError::fromErrno(targetPath_, errno);
    forgetTemporaryName();
    ReplacedFolderFlush::afterReplacing(folder_, folderFd_);
    closeFile();
    discard();
}

PendingOutput::PendingOutput(PendingOutput&& other) noexcept
    : targetPath_(std::move(other.targetPath_)),
      folder_(std::move(other.folder_)),
      name_(std::move(other.name_)),
      folderFd_(std::exchange(other.folderFd_, -1)),
      fd_(std::exchange(other.fd_, -1)),
      temporaryName_(std::move(other.temporaryName_)),
      cleanupSlot_(std::exchange(other.cleanupSlot_, -1)) {
    other.temporaryName_.clear();
}

bool PendingOutput::commit(const ReplaceQuestion& mayReplace) {
    if (fd_ < 0) throw FileError(targetPath_, "is not open for writing");
    try {
        bool placedNew = temporaryName_.empty() ? linkNew() : renameNew();
        if (placedNew) {
            closeNewFile();
        } else {
            if (mayReplace && !mayReplace()) {
                discard();
                return false;
            }
            prepareReplacement();
            // The content reaches the disk before the name moves to it (and
            // the folder after), so a crash leaves the old file or the whole
            // new one. A batch flushes many such files at once.
            if (ReplacementBatch* batch = ReplacementBatch::current()) {
                batch->hold(std::move(*this));
                return true;
            }
            if (::fsync(fd_) != 0) throw FileError::fromErrno(targetPath_, errno);
            finishReplacement();
        }
    } catch (...) {
        discard();
        throw;
    }
    discard();
    return true;
}

ReplacedFolderFlush::ReplacedFolderFlush() : outer_(currentRun) {
    currentRun = this;
}

ReplacedFolderFlush::~ReplacedFolderFlush() {
    currentRun = outer_;
    for (const std::string& folder : folders_) {
        int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        flushFolder(fd);
        ::close(fd);
    }
}

void ReplacedFolderFlush::afterReplacing(const std::string& folder, int folderFd) {
    if (currentRun == nullptr) {
        flushFolder(folderFd);
        return;
    }
    try {
        currentRun->folders_.insert(folder);
    } catch (...) {
        flushFolder(folderFd);
    }
}

}  // namespace leafwright
