#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/pending_output.h"

namespace leafwright {

// Writes a text file in text mode: every "\n" written is stored as CR LF.
//
// The file is replaced safely: the bytes go to a temporary file in the
// target's folder that takes the target's name only at commit(), once the
// whole content was written without error (see PendingOutput). A writer
// destroyed without commit() (an exception, a refused file) leaves nothing
// behind and any existing target untouched.
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

    // Flushes the content and puts the file at the target, replacing what
    // stands there. Throws FileError on any failure; the target then stays
    // as it was.
    void commit();
    // The same, except that an entry found at the target is replaced only
    // when mayReplace says so; returns false (nothing changed) otherwise.
    bool commit(const ReplaceQuestion& mayReplace);

    const std::string& path() const noexcept { return targetPath_; }

  private:
    void flush();
    [[noreturn]] void fail(int errorNumber);

    std::string targetPath_;
    PendingOutput output_;
    bool open_ = true;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace leafwright
