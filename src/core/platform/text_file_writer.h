#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

// Writes a text file in text mode: every "\n" written is stored as CR LF.
//
// The file is replaced safely: the bytes go to a temporary file in the
// target's folder, and only commit() renames it over the target, after the
// whole content was written and closed without error. A writer destroyed
// without commit() (an exception, a refused file) removes its temporary file
// and leaves any existing target untouched.
class TextFileWriter {
public:
    // Creates the temporary file. Throws FileError naming the target when the
    // target is a folder or the folder cannot take a new file.
    explicit TextFileWriter(std::string targetPath);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    // Writes text, turning each "\n" into CR LF.
    void write(std::string_view text);
    // Writes the bytes as they are.
    void writeRaw(std::string_view bytes);

    // Bytes the file holds so far, as they are on disk (CR LF counts two).
    std::uint64_t position() const noexcept { return position_; }

    // Flushes, closes and renames the temporary file over the target.
    // Throws FileError on any failure; the target then stays as it was.
    void commit();

    const std::string& path() const noexcept { return targetPath_; }

private:
    void flush();
    void discard() noexcept;

    std::string targetPath_;
    std::string tempPath_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace leafwright
