#include "core/platform/write_limits.h"

#include <csignal>

namespace leafwright {

void failWritesPastFileSizeLimit() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace leafwright
