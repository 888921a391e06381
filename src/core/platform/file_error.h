#pragma once

#include <exception>
#include <stdexcept>
#include <string>

namespace leafwright {

// The one error of the file layer: a file could not be opened, created, read,
// written or replaced. It carries the file's path and the cause, so whoever
// reports it can name both.
class FileError : public std::runtime_error {
  public:
    FileError(std::string path, std::string cause)
        : std::runtime_error(path + ": " + cause),
          path_(std::move(path)),
          cause_(std::move(cause)) {}

    const std::string& path() const noexcept { return path_; }
    const std::string& cause() const noexcept { return cause_; }

    // The cause of a failed system call, from errno.
    static FileError fromErrno(const std::string& path, int errorNumber);

    // Any other failure while working on a file, as a FileError naming it.
    // Running out of memory says so in words: std::bad_alloc's own text
    // names the exception, not the cause.
    static FileError fromException(const std::string& path, const std::exception& error);

  private:
    std::string path_;
    std::string cause_;
};

}  // namespace leafwright
