#include "core/platform/text_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/decoding_input.h"
#include "core/platform/file_error.h"
#include "core/platform/run_watch.h"

namespace leafwright {

namespace {
// Small enough that a block read stays in the cache while it is scanned,
// and that a reader moving on to a run far ahead has read little in vain.
constexpr std::size_t kBufferSize = 64 << 10;
// A regular file smaller than the buffer gets a buffer its own size (at least
// this much), which is cheaper for a run over many small files.
constexpr std::size_t kSmallestBuffer = 1 << 12;
constexpr char kEndOfText = 0x1A;
}  // namespace

TextFileReader::TextFileReader(std::string path) : TextFileReader(path, path, true) {}

TextFileReader::TextFileReader(std::string path, const std::string& openPath, bool newSource)
    : path_(std::move(path)) {
    // Without O_NONBLOCK, opening a pipe waits for a writer; the flag is
    // cleared again once the file is known to be a regular one.
    fd_ = ::open(openPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) throw FileError::fromErrno(path_, errno);
    auto refuse = [this](FileError error) {
        close();
        throw error;
    };
    struct stat info {};
    if (::fstat(fd_, &info) != 0) refuse(FileError::fromErrno(path_, errno));
    if (S_ISDIR(info.st_mode)) refuse(FileError(path_, "Is a directory"));
    if (!S_ISREG(info.st_mode)) refuse(FileError(path_, "not a regular file"));
    // None of the other flags that F_SETFL changes was asked for, so 0
    // clears O_NONBLOCK alone.
    if (::fcntl(fd_, F_SETFL, 0) != 0) refuse(FileError::fromErrno(path_, errno));
    device_ = static_cast<std::uint64_t>(info.st_dev);
    inode_ = static_cast<std::uint64_t>(info.st_ino);
    size_ = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    modified_ = info.st_mtim;
    if (newSource) noteSourceOpened(size_);
    std::size_t size = kBufferSize;
    if (info.st_size >= 0 && static_cast<std::uint64_t>(info.st_size) < kBufferSize)
        size = std::max(static_cast<std::size_t>(info.st_size) + 1, kSmallestBuffer);
    // Left uninitialised: reading fills it, and fresh pages are costly.
    buffer_.reset(new char[size]);
    bufferSize_ = size;
}

TextFileReader::~TextFileReader() {
    close();
}

// The descriptor's entry under /proc opens the file itself, wherever its
// path leads by now; its own file offset lets both readers read at once.
std::unique_ptr<TextFileReader> TextFileReader::openAgain() const {
    if (fd_ < 0 || decoding_) return nullptr;
    std::unique_ptr<TextFileReader> again;
    try {
        again.reset(new TextFileReader(path_, "/proc/self/fd/" + std::to_string(fd_), false));
    } catch (const FileError&) {
        return nullptr;
    }
    if (again->device_ != device_ || again->inode_ != inode_) return nullptr;
    again->cutAtEndOfText_ = cutAtEndOfText_;
    return again;
}

bool TextFileReader::changedSinceOpened() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return false;
    return static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0)) != size_ ||
           info.st_mtim.tv_sec != modified_.tv_sec || info.st_mtim.tv_nsec != modified_.tv_nsec;
}

void TextFileReader::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void TextFileReader::seek(std::uint64_t offset) {
    if (fd_ < 0) throw FileError(path_, "cannot be read a second time");
    if (decoding_)
        decoding_->seek(offset);
    else if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0)
        throw FileError::fromErrno(path_, errno);
    begin_ = end_ = 0;
    bufferStart_ = offset;
    endOfInput_ = false;
    inLine_ = false;
    spill_.clear();
}

// Moves the unread bytes to the front and reads more behind them. Returns
// false when nothing more can come. A 0x1A cuts the input where it stands.
bool TextFileReader::fill() {
    if (endOfInput_ || fd_ < 0) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        bufferStart_ += begin_;
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == bufferSize_) {
        std::unique_ptr<char[]> larger(new char[bufferSize_ * 2]);
        std::memcpy(larger.get(), buffer_.get(), end_);
        buffer_ = std::move(larger);
        bufferSize_ *= 2;
    }
    // A cancelled run stops here even while a layout scans a large source.
    throwIfRunCancelled();
    std::size_t wanted = bufferSize_ - end_;
    const std::uint64_t readUpTo = bufferStart_ + end_;
    if (readUpTo < readLimit_)
        wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, readLimit_ - readUpTo));
    ssize_t got;
    if (decoding_) {
        got = static_cast<ssize_t>(decoding_->read(buffer_.get() + end_, wanted));
    } else {
        do {
            got = ::read(fd_, buffer_.get() + end_, wanted);
        } while (got < 0 && errno == EINTR);
        if (got < 0) throw FileError::fromErrno(path_, errno);
        if (got > 0) noteSourceRead(static_cast<std::uint64_t>(got));
    }
    if (got == 0) {
        endOfInput_ = true;
        return false;
    }
    const char* fresh = buffer_.get() + end_;
    const void* stop = std::memchr(fresh, kEndOfText, static_cast<std::size_t>(got));
    if (stop != nullptr) {
        const auto before = static_cast<const char*>(stop) - fresh;
        // Bytes after it in this read, or in the file beyond (the offsets of
        // a decoded text are not the file's: only this read tells there).
        const bool more =
            before + 1 < got ||
            (!decoding_ && bufferStart_ + end_ + static_cast<std::uint64_t>(got) < size_);
        if (more) cutAtEndOfText_->store(true);
        got = before;
        endOfInput_ = true;
    }
    end_ += static_cast<std::size_t>(got);
    return got > 0;
}

void TextFileReader::decodeWith(std::unique_ptr<TextConverter> converter, std::uint64_t textStart) {
    decoding_ =
        std::make_unique<DecodingInput>(std::move(converter), textStart,
                                        [this](std::uint64_t offset, char* into, std::size_t size) {
                                            const std::size_t got = readBytesAt(offset, into, size);
                                            noteSourceRead(got);
                                            return got;
                                        });
    seek(0);
}

std::uint64_t TextFileReader::invalidSequences() const noexcept {
    return decoding_ ? decoding_->invalidSequences() : 0;
}

std::size_t TextFileReader::readBytesAt(std::uint64_t offset, char* into, std::size_t size) const {
    if (fd_ < 0) throw FileError(path_, "cannot be read a second time");
    std::size_t total = 0;
    while (total < size) {
        const ssize_t got =
            ::pread(fd_, into + total, size - total, static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError::fromErrno(path_, errno);
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

std::size_t TextFileReader::readAt(std::uint64_t offset, char* into, std::size_t count) {
    throwIfRunCancelled();
    const std::size_t done = readBytesAt(offset, into, count);
    noteSourceRead(done);
    return done;
}

bool TextFileReader::readBlock(std::string_view& block) {
    if (begin_ == end_) {
        bufferStart_ += begin_;
        begin_ = end_ = 0;
        if (!fill()) return false;
    }
    block = std::string_view(buffer_.get() + begin_, end_ - begin_);
    begin_ = end_;
    return true;
}

bool TextFileReader::readLine(std::string_view& line) {
    spill_.clear();
    bool haveBytes = false;
    for (;;) {
        const char* start = buffer_.get() + begin_;
        std::size_t available = end_ - begin_;
        const void* lf = std::memchr(start, '\n', available);
        if (lf != nullptr) {
            std::size_t length = static_cast<const char*>(lf) - start;
            begin_ += length + 1;
            if (spill_.empty()) {
                if (length > 0 && start[length - 1] == '\r') --length;
                line = std::string_view(start, length);
            } else {
                spill_.append(start, length);
                if (!spill_.empty() && spill_.back() == '\r') spill_.pop_back();
                line = spill_;
            }
            return true;
        }
        if (available > 0) haveBytes = true;
        // No line end in the buffer: keep the partial line and read more.
        // Small partial lines stay in the buffer (fill moves them to the
        // front); a line longer than half the buffer goes to the spill string
        // so the buffer does not grow with it.
        if (available > bufferSize_ / 2) {
            spill_.append(start, available);
            begin_ = end_;
        }
        if (!fill()) {
            // End of input: what is left is the last line, without a line end.
            std::size_t rest = end_ - begin_;
            if (!haveBytes && rest == 0 && spill_.empty()) return false;
            spill_.append(buffer_.get() + begin_, rest);
            begin_ = end_;
            line = spill_;
            return true;
        }
    }
}

std::uint64_t TextFileReader::skipLines(std::uint64_t count) {
    std::uint64_t skipped = 0;
    bool inLine = false;
    while (skipped < count) {
        const char* start = buffer_.get() + begin_;
        const std::size_t available = end_ - begin_;
        if (const void* lf = std::memchr(start, '\n', available)) {
            begin_ += static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1;
            ++skipped;
            inLine = false;
            continue;
        }
        if (available > 0) inLine = true;
        begin_ = end_;
        // End of input: a last line without a line end.
        if (!fill()) return skipped + (inLine ? 1 : 0);
    }
    return skipped;
}

// Hands out what the buffer holds of the current line, reading more only
// when it holds nothing of it. A CR at the buffer's end stays there until
// the next byte shows whether it comes before an LF.
bool TextFileReader::readLinePiece(std::string_view& piece, bool& endsLine) {
    for (;;) {
        const char* start = buffer_.get() + begin_;
        std::size_t available = end_ - begin_;
        if (const void* lf = std::memchr(start, '\n', available)) {
            std::size_t length = static_cast<const char*>(lf) - start;
            begin_ += length + 1;
            if (length > 0 && start[length - 1] == '\r') --length;
            piece = std::string_view(start, length);
            endsLine = true;
            inLine_ = false;
            return true;
        }
        std::size_t ready = available - (available > 0 && start[available - 1] == '\r');
        if (ready > 0) {
            begin_ += ready;
            piece = std::string_view(start, ready);
            endsLine = false;
            inLine_ = true;
            return true;
        }
        if (!fill()) {
            // End of input: a last line without a line end (perhaps only a CR).
            std::size_t rest = end_ - begin_;
            if (rest == 0 && !inLine_) return false;
            piece = std::string_view(buffer_.get() + begin_, rest);
            begin_ = end_;
            endsLine = true;
            inLine_ = false;
            return true;
        }
    }
}

}  // namespace leafwright
