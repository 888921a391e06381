#pragma once

#include <time.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace leafwright {

class DecodingInput;
class TextConverter;

// Reads a regular file as text, one line at a time: a line ends at LF, a CR
// right before the LF is dropped, and a byte 0x1A ends the input as if the
// file ended there. The last line needs no line end. Lines may be of any
// length. A file in another encoding than UTF-8 or Windows-1252 is read
// through a converter (decodeWith): its text is then the UTF-8 the
// converter makes, and offsets count that text's bytes.
class TextFileReader {
  public:
    // Opens the file for reading; throws FileError when it cannot be opened
    // or is not a regular file. A device, pipe or socket is refused before
    // anything is read from it, so that neither an endless device nor a pipe
    // without a writer can hold the caller up.
    explicit TextFileReader(std::string path);
    ~TextFileReader();
    // A reader of its own of the very file this one has open (not of what
    // its path names now), from the start, for a second thread; it takes
    // no part in the run's progress as an opened source. nullptr when the
    // system offers none (no /proc), and for a reader that decodes: its
    // offsets are those of a text another reader could reach only by
    // decoding everything before them.
    std::unique_ptr<TextFileReader> openAgain() const;
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // The next line without its line end. The view stays valid until the next
    // call. Returns false once the input is exhausted. Throws FileError on a
    // read error.
    bool readLine(std::string_view& line);

    // The next piece of a line, for a caller that must not hold a whole line:
    // the pieces of a line, in order, make what readLine would return, and
    // endsLine is set on its last piece (an empty line is one empty piece).
    // The view stays valid until the next call. Returns false once the input
    // is exhausted. Throws FileError on a read error.
    bool readLinePiece(std::string_view& piece, bool& endsLine);

    // Moves past the next `count` lines without handing them out, from
    // where a line starts; returns how many there were (fewer at the end).
    // Throws FileError on a read error.
    std::uint64_t skipLines(std::uint64_t count);

    // The next unread bytes as they are, line ends included, for a caller
    // that only scans the text. Stops at a 0x1A like readLine. The view stays
    // valid until the next call. Returns false once the input is exhausted.
    // Throws FileError on a read error.
    bool readBlock(std::string_view& block);

    // The bytes read and not handed out yet, for a caller that takes whole
    // lines straight from them, from where a line starts (consume marks
    // what it took); empty when none are read ahead.
    std::string_view buffered() const noexcept {
        return std::string_view(buffer_.get() + begin_, end_ - begin_);
    }
    void consume(std::size_t count) noexcept { begin_ += count; }

    // Reads up to `count` bytes from a byte offset as they are (a 0x1A is a
    // byte like any other there), for a caller that reads the file's parts
    // in any order; returns how many were read, fewer only at the end of the
    // file. The line and block reading is not moved. Throws FileError on a
    // read error.
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t count);

    // Starts again from the first byte, for a second pass over the same file.
    void rewind() { seek(0); }
    // Goes on reading from a byte offset, as a line or block reading would
    // after that many bytes.
    void seek(std::uint64_t offset);
    // Reads stop at this offset while they are short of it, so that a
    // reader that will soon move elsewhere reads little past what it
    // needs; what lies beyond is still read when it is asked for. Kept
    // across seeks.
    void readNoFurtherThan(std::uint64_t offset) noexcept { readLimit_ = offset; }
    // The offset of the next unread byte.
    std::uint64_t offset() const noexcept { return bufferStart_ + begin_; }

    const std::string& path() const noexcept { return path_; }
    // Device and inode of the open file, to tell whether another path names it.
    std::uint64_t device() const noexcept { return device_; }
    std::uint64_t inode() const noexcept { return inode_; }
    // Whether the file was written to since it was opened: its size or its
    // modification time moved. Reads of a file written meanwhile may come
    // from different versions of it.
    bool changedSinceOpened() const;
    // Whether a 0x1A ended the text before the end of the file, with bytes
    // after it that are then not read: met by this reader or by one opened
    // again from it (the threads of one document read its parts).
    bool textCutAtEndOfText() const noexcept { return cutAtEndOfText_->load(); }
    // The file's size when it was opened.
    std::uint64_t size() const noexcept { return size_; }
    // When the file was last written, as it was when it was opened: with the
    // device, inode and size, it tells a later reader whether it reads the
    // same version of the file.
    const struct timespec& modifiedTime() const noexcept { return modified_; }
    // How many threads a first pass over the file may use (more than one
    // only where the caller has the cores to spare); see scanInHalves.
    unsigned scanThreads() const noexcept { return scanThreads_; }
    void setScanThreads(unsigned threads) noexcept { scanThreads_ = threads; }

    // From now on hands out the UTF-8 that converter makes of the file's
    // bytes from the offset textStart on (after a byte-order mark), from
    // the text's start.
    void decodeWith(std::unique_ptr<TextConverter> converter, std::uint64_t textStart);
    bool decodes() const noexcept { return decoding_ != nullptr; }
    // The byte sequences the converter found invalid (shown as U+FFFD), in
    // as much of the file as was read.
    std::uint64_t invalidSequences() const noexcept;
    // The file's bytes as they are at an offset, for a look at them before
    // the text is read: no 0x1A ends them, and no read moves. Returns how
    // many it read (fewer only at the end of the file).
    std::size_t readBytesAt(std::uint64_t offset, char* into, std::size_t size) const;

    void close();

  private:
    // Opens openPath, reporting errors under path.
    TextFileReader(std::string path, const std::string& openPath, bool newSource);
    bool fill();

    std::string path_;
    int fd_ = -1;
    bool endOfInput_ = false;  // no more bytes to read (end of file or 0x1A seen)
    std::shared_ptr<std::atomic<bool>> cutAtEndOfText_ = std::make_shared<std::atomic<bool>>(false);
    bool inLine_ = false;  // readLinePiece has handed out part of a line
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::uint64_t size_ = 0;
    struct timespec modified_ {};  // when the file was last written, at opening
    unsigned scanThreads_ = 1;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::size_t begin_ = 0;          // first unread byte in buffer_
    std::size_t end_ = 0;            // one past the last valid byte in buffer_
    std::uint64_t bufferStart_ = 0;  // the file offset of buffer_[0]
    std::uint64_t readLimit_ = ~std::uint64_t{0};
    std::string spill_;  // a line that crosses the buffer's end
    std::unique_ptr<DecodingInput> decoding_;
};

}  // namespace leafwright
