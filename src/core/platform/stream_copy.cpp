#include "core/platform/stream_copy.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/platform/file_error.h"

namespace leafwright {

namespace {

constexpr std::size_t kBlockSize = 1 << 17;

// Writes all of [data, data + size) to fd. Returns 0, or the errno of the
// write that failed.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return 0;
}

}  // namespace

void copyStream(int from, const std::string& fromName, int to, const std::string& toName,
                const CopyProgress& afterBlock) {
    std::vector<char> block(kBlockSize);
    std::uint64_t copied = 0;
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            throw FileError::fromErrno(fromName, errno);
        }
        if (got == 0) return;
        if (int error = writeAll(to, block.data(), static_cast<std::size_t>(got)); error != 0)
            throw FileError::fromErrno(toName, error);
        copied += static_cast<std::uint64_t>(got);
        if (afterBlock) afterBlock(copied);
    }
}

}  // namespace leafwright
