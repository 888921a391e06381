#include "core/platform/input_spool.h"

#include <optional>

#include "core/platform/file_error.h"
#include "core/platform/scratch_file.h"
#include "core/platform/stream_copy.h"

namespace leafwright {

namespace {

constexpr std::uint64_t kMegabyte = 1 << 20;
// How often the file system's free space is looked at.
constexpr std::uint64_t kLookAtFreeSpaceEvery = kMegabyte;

std::string megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + kMegabyte - 1) / kMegabyte) + " MB";
}

}  // namespace

InputSpool::InputSpool(int fd, const std::string& shownSource, const SpoolLimits& limits) {
    fill(fd, shownSource, limits);
}

InputSpool::~InputSpool() = default;

void InputSpool::fill(int from, const std::string& shownSource, const SpoolLimits& limits) {
    const std::string& folder = file_.folder();
    std::uint64_t nextLook = kLookAtFreeSpaceEvery;
    copyStream(from, shownSource, file_.fd(), folder, [&](std::uint64_t copied) {
        if (limits.maxBytes && copied > *limits.maxBytes)
            throw FileError(shownSource, "not read whole: more than " + limits.maxBytesName);
        if (copied < nextLook) return;
        nextLook = copied + kLookAtFreeSpaceEvery;
        const std::optional<std::uint64_t> reserve = file_.reserveShort();
        if (reserve)
            throw FileError(shownSource, "not read whole: " + folder + " has less than " +
                                             megabytes(*reserve) + " free");
    });
}

}  // namespace leafwright
