#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace leafwright {

// Where the line numbers of a document's pages stand, in the standard font,
// worked out once: a page's numbers then cost a few bytes each.
struct NumberColumnLayout {
    // Opens a page's number block: the artifact, its text object, grey, the
    // font, and the leading set to the rows between two numbered lines.
    std::string opening;
    // Per digit count (index 0: one digit), where a number of that many
    // digits starts, in thousandths of a point: right-aligned, all end alike.
    std::vector<std::int64_t> leftMilli;
    // Per row from 1 (index 0), its baseline in thousandths of a point.
    std::vector<std::int64_t> baselineMilli;
    // The leading the opening sets, in thousandths of a point.
    std::int64_t leadingMilli = 0;
    // The rows from one numbered line to the next when none is wrapped.
    std::uint64_t everyRows = 1;

    // A row past the ones held (not expected: rows are counted) is placed
    // by the same rule.
    double topValue = 0;
    double rowLeading = 0;
    std::int64_t baselineOf(std::uint64_t row) const;
};

// The line numbers of one page in one text object: the first placed by the
// text matrix, each next one moved to from the one before, and a number on
// the row the leading reaches with as many digits as the one before shown
// by "'" alone (a line end, the digits in parentheses, the operator).
class NumberColumn {
  public:
    NumberColumn(const NumberColumnLayout& layout, std::string& out);
    // Shows `number` on `row` (from 1); rows only go down the page.
    void add(std::uint64_t row, std::uint64_t number);
    // Closes the block when any number was shown.
    void finish();

  private:
    const NumberColumnLayout& layout_;
    std::string& out_;
    bool open_ = false;
    std::int64_t x_ = 0, y_ = 0;  // the line's start, thousandths of a point
};

// Appends thousandths of a point as a content stream writes a number: no
// trailing zeros after the point, no point for a whole number.
void appendMilli(std::string& out, std::int64_t thousandths);

}  // namespace leafwright
