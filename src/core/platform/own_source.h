#pragma once

#include <cstdint>
#include <string>

namespace leafwright {

// The cause given for every output, a PDF or an extracted text, that would
// take the place of the source it is made from.
inline constexpr const char* kOwnSourceCause = "the output would overwrite its own source";

// Refuses an output path that names the source file with this device and
// inode number: the same path, a link or a hard link to it. Writing that
// output would destroy the source, even through the safe replacement (the
// finished output takes the source's place). Throws FileError(sourcePath,
// kOwnSourceCause).
//
// The check that counts runs on the open source, with the device and inode
// of what was opened: a link can be swapped between an earlier check by name
// and the opening.
void refuseOutputOverSource(const std::string& sourcePath, const std::string& outputPath,
                            std::uint64_t device, std::uint64_t inode);

// The same check before the source is opened, so that a run refuses such an
// output before it asks about replacing anything. A source that cannot be
// looked at is left to the opening to report.
void refuseOutputOverSource(const std::string& sourcePath, const std::string& outputPath);

}  // namespace leafwright
