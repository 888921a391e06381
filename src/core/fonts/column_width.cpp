#include "core/fonts/column_width.h"

#include <algorithm>

#include "core/fonts/unicode_tables.h"

namespace leafwright {

int columnWidth(char32_t character) {
    const auto ranges = columnWidthRanges();
    // The first range that does not end before the character.
    const auto range = std::lower_bound(
        ranges.begin(), ranges.end(), character,
        [](const ColumnWidthRange& candidate, char32_t c) { return candidate.last < c; });
    if (range != ranges.end() && range->first <= character) return range->columns;
    return 1;
}

}  // namespace leafwright
