#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace leafwright {

// Called after each block with the bytes copied so far; it may throw to stop
// the copy.
using CopyProgress = std::function<void(std::uint64_t copied)>;

// Copies everything that can be read from `from` to `to`, in blocks, going on
// after short writes and interrupted calls. Throws FileError naming
// `fromName` for a read that fails and `toName` for a write.
void copyStream(int from, const std::string& fromName, int to, const std::string& toName,
                const CopyProgress& afterBlock = {});

}  // namespace leafwright
