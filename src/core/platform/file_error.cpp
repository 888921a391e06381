#include "core/platform/file_error.h"

#include <cstring>

namespace leafwright {

FileError FileError::fromErrno(const std::string& path, int errorNumber) {
    return FileError(path, std::strerror(errorNumber));
}

}  // namespace leafwright
