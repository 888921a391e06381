#include "platform/text_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "platform/file_error.h"

namespace leafwright {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;
// The buffer starts small and grows up to kBufferSize, so a small file does
// not pay for clearing a large buffer.
constexpr std::size_t kFirstBufferSize = 1 << 13;
constexpr int kNameAttempts = 100;

// The folder part of a path ("." when it has none) and the name part.
void splitPath(const std::string& path, std::string& folder, std::string& name) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

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

// Creates a new file named prefix plus six random characters and returns its
// descriptor, or -1 with errno set. The file gets the mode any newly created
// file gets (0666 less the umask, or what a default ACL says), with no extra
// calls to find it out.
int createTemporaryFile(const std::string& prefix, std::string& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        path = prefix + randomSuffix();
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

TextFileWriter::TextFileWriter(std::string targetPath) : targetPath_(std::move(targetPath)) {
    std::string folder, name;
    splitPath(targetPath_, folder, name);
    if (name.empty()) throw FileError(targetPath_, "names no file");

    struct stat existing {};
    bool targetExists = ::stat(targetPath_.c_str(), &existing) == 0;
    if (targetExists && S_ISDIR(existing.st_mode)) throw FileError(targetPath_, "Is a directory");

    // A hidden name beside the target, so the rename stays on one file system.
    std::string prefix = (folder == "/" ? "" : folder) + "/." + name + ".";
    if (name.size() > 200) prefix = (folder == "/" ? "" : folder) + "/.leafwright.";
    fd_ = createTemporaryFile(prefix, tempPath_);
    if (fd_ < 0) {
        int error = errno;
        tempPath_.clear();
        throw FileError::fromErrno(targetPath_, error);
    }
    // A replaced file keeps its mode.
    if (targetExists) ::fchmod(fd_, existing.st_mode & 07777);
    buffer_.resize(kFirstBufferSize);
}

TextFileWriter::~TextFileWriter() { discard(); }

void TextFileWriter::discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

void TextFileWriter::flush() {
    std::size_t done = 0;
    while (done < used_) {
        ssize_t wrote = ::write(fd_, buffer_.data() + done, used_ - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            discard();
            throw FileError::fromErrno(targetPath_, error);
        }
        done += static_cast<std::size_t>(wrote);
    }
    used_ = 0;
}

void TextFileWriter::writeRaw(std::string_view bytes) {
    if (fd_ < 0) throw FileError(targetPath_, "is not open for writing");
    position_ += bytes.size();
    while (!bytes.empty()) {
        if (used_ == buffer_.size()) {
            if (buffer_.size() < kBufferSize) {
                buffer_.resize(std::min(buffer_.size() * 4, kBufferSize));
            } else {
                flush();
            }
        }
        std::size_t room = buffer_.size() - used_;
        std::size_t take = bytes.size() < room ? bytes.size() : room;
        std::memcpy(buffer_.data() + used_, bytes.data(), take);
        used_ += take;
        bytes.remove_prefix(take);
    }
}

void TextFileWriter::write(std::string_view text) {
    for (;;) {
        std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            writeRaw(text);
            return;
        }
        writeRaw(text.substr(0, lf));
        writeRaw("\r\n");
        text.remove_prefix(lf + 1);
    }
}

void TextFileWriter::commit() {
    if (fd_ < 0) throw FileError(targetPath_, "is not open for writing");
    flush();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        int error = errno;
        discard();
        throw FileError::fromErrno(targetPath_, error);
    }
    if (::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) {
        int error = errno;
        discard();
        throw FileError::fromErrno(targetPath_, error);
    }
    tempPath_.clear();
}

}  // namespace leafwright
