#include "desktop/widgets/combined_progress.h"

#include <algorithm>

namespace leafwright {

CombinedProgress::CombinedProgress(const std::vector<std::uint64_t>& sourceSizes)
    : before_(sourceSizes.size() + 1, 0) {
    for (std::size_t k = 0; k < sourceSizes.size(); ++k)
        before_[k + 1] = before_[k] + sourceSizes[k];
}

std::uint64_t CombinedProgress::at(std::size_t source, CombineReading reading) {
    const std::uint64_t total = before_.back();
    const std::uint64_t before = before_[std::min(source, before_.size() - 1)];
    switch (reading) {
        case CombineReading::planning:
            return before / 2;
        case CombineReading::cuttingRows:
            rowsCut_ = true;
            return total / 2 + before / 4;
        case CombineReading::writing:
            return rowsCut_ ? total / 2 + total / 4 + before / 4 : total / 2 + before / 2;
    }
    return total;
}

}  // namespace leafwright
