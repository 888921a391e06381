#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/pdf/furniture_block.h"

namespace leafwright {

// Where the line numbers of a document's pages stand, in the standard font,
// worked out once: a page's numbers then cost a few bytes each.
struct NumberColumnLayout {
    // Opens the page's text object when no header or footer text did: its
    // "BT" and the font.
    std::string textOpening;
    // Starts the numbers in the text object: grey, and the leading set to
    // the rows between two numbered lines.
    std::string numbersOpening;
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

// The line numbers of one page in the page's furniture text object: the
// first placed by a move from where the text line starts, each next one
// moved to from the one before, and a number on the row the leading reaches
// with as many digits as the one before shown by "'" alone: "(120)'", no
// space needed between a string and its operator or the next string.
class NumberColumn {
  public:
    NumberColumn(const NumberColumnLayout& layout, FurnitureBlock& block)
        : layout_(layout), block_(block) {}
    // Shows `number` on `row` (from 1); rows only go down the page.
    void add(std::uint64_t row, std::uint64_t number);
    // Writes the numbers still held: before the block is closed.
    void flush();

  private:
    // The digits of `number` in digits_: counted on from the number before
    // when it is a little larger (the common case: the next numbered line),
    // which costs far less than dividing the whole number again.
    void setDigits(std::uint64_t number);

    // Numbers shown by "'" on one line of the stream, to keep lines short.
    static constexpr unsigned kNumbersPerLine = 16;
    // The bytes of the numbers shown by "'" are gathered here and written
    // to the block many at a time: a page of numbered lines is mostly such
    // short strings, each too short to be worth a string's append.
    static constexpr std::size_t kHeldBytes = 480;
    const NumberColumnLayout& layout_;
    FurnitureBlock& block_;
    bool started_ = false;
    unsigned onLine_ = 0;
    std::size_t heldSize_ = 0;
    char held_[kHeldBytes + 48];
    std::uint64_t number_ = 0;
    std::size_t digitCount_ = 0;  // 0 before the first number
    char digits_[24];
};

}  // namespace leafwright
