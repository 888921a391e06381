#include "core/platform/output_name.h"

namespace leafwright {

std::string outputBeside(const std::string& sourcePath, std::string_view ending) {
    constexpr std::size_t kReplaced = 3;
    const std::size_t keep = sourcePath.size() < kReplaced ? 0 : sourcePath.size() - kReplaced;
    std::string path = sourcePath.substr(0, keep);
    path += ending;
    return path;
}

}  // namespace leafwright
