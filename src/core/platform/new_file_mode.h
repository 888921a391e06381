#pragma once

#include <sys/types.h>

#include <string>

namespace leafwright {

// The permission bits that open(path, O_CREAT, 0666) would give a new file in
// this folder: what the folder's default ACL allows when it has one,
// otherwise 0666 less the process's umask. The umask is read from
// /proc/self/status, because calling umask() to learn it would change it for
// every thread meanwhile.
mode_t newFileMode(const std::string& folder);

// The process's umask (022 when /proc does not tell).
mode_t processUmask();

}  // namespace leafwright
