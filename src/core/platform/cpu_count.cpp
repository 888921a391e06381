#include "core/platform/cpu_count.h"

#include <sched.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>

namespace leafwright {

namespace {

// The CPUs the control group's quota allows (cgroup v2 "cpu.max", the
// tightest along the path to the root), or 0 when none is set.
unsigned cgroupCpuLimit() {
    std::ifstream membership("/proc/self/cgroup");
    std::string line;
    std::string group;
    while (std::getline(membership, line)) {
        if (line.rfind("0::", 0) == 0) group = line.substr(3);
    }
    if (group.empty()) return 0;
    unsigned limit = 0;
    for (;;) {
        std::ifstream maximum("/sys/fs/cgroup" + group + "/cpu.max");
        std::string quota;
        std::uint64_t period = 0;
        if (maximum >> quota >> period && quota != "max" && period > 0) {
            const std::uint64_t cpus = (std::stoull(quota) + period - 1) / period;
            const auto capped = static_cast<unsigned>(std::max<std::uint64_t>(1, cpus));
            limit = limit == 0 ? capped : std::min(limit, capped);
        }
        if (group.empty() || group == "/") break;
        const std::size_t slash = group.rfind('/');
        group = slash == 0 || slash == std::string::npos ? "/" : group.substr(0, slash);
        if (group == "/") group.clear();
    }
    return limit;
}

}  // namespace

unsigned usableCpuCount() {
    unsigned cpus = std::max(1u, std::thread::hardware_concurrency());
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        cpus = std::max(1, CPU_COUNT(&allowed));
    if (const unsigned limit = cgroupCpuLimit(); limit != 0) cpus = std::min(cpus, limit);
    return cpus;
}

}  // namespace leafwright
