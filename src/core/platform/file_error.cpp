#include "core/platform/file_error.h"

#include <cstring>
#include <new>

namespace leafwright {

FileError FileError::fromErrno(const std::string& path, int errorNumber) {
    return FileError(path, std::strerror(errorNumber));
}

FileError FileError::fromException(const std::string& path, const std::exception& error) {
    if (const auto* fileError = dynamic_cast<const FileError*>(&error)) return *fileError;
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return FileError(path, "out of memory");
    return FileError(path, error.what());
}

}  // namespace leafwright
