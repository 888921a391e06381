#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/pdf/combined_document.h"

namespace leafwright {

// Where a run into one document stands, in bytes of its sources, as each
// reading takes the sources up in turn. The planning reading fills the
// first half and the writing the second, unless rows are cut in a reading
// of their own: that reading then takes the third quarter and the writing
// the last, so the bar never runs back.
class CombinedProgress {
  public:
    explicit CombinedProgress(const std::vector<std::uint64_t>& sourceSizes);

    // The bytes done when `source` (from 0) is taken up in `reading`.
    std::uint64_t at(std::size_t source, CombineReading reading);

  private:
    std::vector<std::uint64_t> before_;  // the bytes of the sources before each, and all
    bool rowsCut_ = false;
};

}  // namespace leafwright
