#include "core/platform/own_source.h"

#include <sys/stat.h>

#include "core/platform/file_error.h"
#include "core/platform/file_search.h"

namespace leafwright {

void refuseOutputOverSource(const std::string& sourcePath, const std::string& outputPath,
                            std::uint64_t device, std::uint64_t inode) {
    if (outputPath == sourcePath || namesFile(outputPath, device, inode))
        throw FileError(sourcePath, kOwnSourceCause);
}

void refuseOutputOverSource(const std::string& sourcePath, const std::string& outputPath) {
    if (outputPath == sourcePath) throw FileError(sourcePath, kOwnSourceCause);
    struct stat source {};
    if (::stat(sourcePath.c_str(), &source) != 0) return;
    refuseOutputOverSource(sourcePath, outputPath, static_cast<std::uint64_t>(source.st_dev),
                           static_cast<std::uint64_t>(source.st_ino));
}

}  // namespace leafwright
