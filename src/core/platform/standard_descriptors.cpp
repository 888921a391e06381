#include "core/platform/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace leafwright {

void holdClosedStandardDescriptors() noexcept {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free number is taken: fd itself, as those below it are
        // open by now.
        const int held = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

}  // namespace leafwright
