#include "core/pdf/number_column.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace leafwright {

std::int64_t NumberColumnLayout::baselineOf(std::uint64_t row) const {
    if (row >= 1 && row <= baselineMilli.size()) return baselineMilli[row - 1];
    return std::llround((topValue - static_cast<double>(row) * rowLeading) * 1000.0);
}

void NumberColumn::setDigits(std::uint64_t number) {
    constexpr std::uint64_t kSmallStep = 1000;
    if (digitCount_ > 0 && number > number_ && number - number_ < kSmallStep) {
        std::uint64_t carry = number - number_;
        for (std::size_t at = digitCount_; carry != 0 && at-- > 0;) {
            const std::uint64_t sum = static_cast<std::uint64_t>(digits_[at] - '0') + carry;
            digits_[at] = static_cast<char>('0' + sum % 10);
            carry = sum / 10;
        }
        if (carry == 0) {
            number_ = number;
            return;
        }
        // One digit more: written afresh.
    }
    digitCount_ =
        static_cast<std::size_t>(std::to_chars(digits_, digits_ + 20, number).ptr - digits_);
    number_ = number;
}

void NumberColumn::add(std::uint64_t row, std::uint64_t number) {
    const std::int64_t y = layout_.baselineOf(row);
    // "(", the digits, ")" and the operator, made in the bytes held.
    if (heldSize_ >= kHeldBytes) flush();
    char* const start = held_ + heldSize_;
    char* end = start;
    if (onLine_ + 1 == kNumbersPerLine) {
        *end++ = '\r';
        *end++ = '\n';
    }
    char* const opening = end;
    *end++ = '(';
    setDigits(number);
    const std::size_t digits = digitCount_;
    // Byte by byte: the digits were just written so, and a wider read of
    // them would wait for those writes to land.
    for (std::size_t k = 0; k < digits; ++k) end[k] = digits_[k];
    end += digits;
    const std::int64_t x = layout_.leftMilli[std::min(digits, layout_.leftMilli.size()) - 1];
    *end++ = ')';
    if (started_ && x == block_.x() && block_.y() - y == layout_.leadingMilli) {
        // The most common step: the next numbered line, as wide.
        *end++ = '\'';
        heldSize_ += static_cast<std::size_t>(end - start);
        onLine_ = onLine_ + 1 == kNumbersPerLine ? 0 : onLine_ + 1;
        block_.movedDownTo(y);
        return;
    }
    const std::string_view shown(opening, static_cast<std::size_t>(end - opening));
    flush();
    if (!started_) {
        if (!block_.textOpen()) block_.openText(layout_.textOpening);
        block_.writeLine(layout_.numbersOpening);
        started_ = true;
    }
    block_.moveTo(x, y);
    block_.write(shown);
    block_.write("Tj");
    onLine_ = 0;
}

void NumberColumn::flush() {
    if (heldSize_ == 0) return;
    block_.write(std::string_view(held_, heldSize_));
    heldSize_ = 0;
}

}  // namespace leafwright
