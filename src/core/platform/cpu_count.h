#pragma once

namespace leafwright {

// The CPUs this process may run on, fewer when its control group's CPU
// quota allows less (at least 1): the number of files a run converts at
// once by default.
unsigned usableCpuCount();

}  // namespace leafwright
