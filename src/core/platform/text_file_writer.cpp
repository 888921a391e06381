#include "platform/text_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_error.h"

namespace leafwright {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;

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

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
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
    tempPath_ = (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX";
    if (name.size() > 200) tempPath_ = (folder == "/" ? "" : folder) + "/.leafwright.XXXXXX";
    fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        int error = errno;
        tempPath_.clear();
        throw FileError::fromErrno(targetPath_, error);
    }
    // mkstemp makes the file private; give it the mode a newly created file
    // would get, or keep the mode of the file it replaces.
    mode_t mode = targetExists ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(fd_, mode);
    buffer_.resize(kBufferSize);
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
        if (used_ == buffer_.size()) flush();
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
