#pragma once

#include <span>

namespace leafwright {

// Tables generated from the Unicode Character Database (one stated version)
// by scripts/generate-unicode-tables.py; sorted, non-overlapping ranges.

struct ColumnWidthRange {
    char32_t first;
    char32_t last;
    int columns;  // 0 or 2; characters in no range take one column
};

struct CodePointRange {
    char32_t first;
    char32_t last;
};

// The Unicode version the tables were built from, e.g. "15.0.0".
const char* unicodeTablesVersion();

std::span<const ColumnWidthRange> columnWidthRanges();
std::span<const CodePointRange> defaultIgnorableRanges();
// Characters whose lines are shaped: marks, right-to-left and direction
// control characters, and the letters of the scripts that join or reorder.
std::span<const CodePointRange> shapingRanges();

}  // namespace leafwright
