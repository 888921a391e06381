#include "core/pdf/number_column.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace leafwright {

namespace {

constexpr std::string_view kCloseBlock = "ET\r\nEMC\r\n";

}  // namespace

void appendMilli(std::string& out, std::int64_t thousandths) {
    std::uint64_t magnitude = thousandths < 0 ? 0 - static_cast<std::uint64_t>(thousandths)
                                              : static_cast<std::uint64_t>(thousandths);
    if (thousandths < 0) out += '-';
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, magnitude / 1000).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
    unsigned fraction = static_cast<unsigned>(magnitude % 1000);
    if (fraction == 0) return;
    char tail[4] = {'.', static_cast<char>('0' + fraction / 100),
                    static_cast<char>('0' + fraction / 10 % 10),
                    static_cast<char>('0' + fraction % 10)};
    std::size_t length = 4;
    while (tail[length - 1] == '0') --length;
    out.append(tail, length);
}

std::int64_t NumberColumnLayout::baselineOf(std::uint64_t row) const {
    if (row >= 1 && row <= baselineMilli.size()) return baselineMilli[row - 1];
    return std::llround((topValue - static_cast<double>(row) * rowLeading) * 1000.0);
}

NumberColumn::NumberColumn(const NumberColumnLayout& layout, std::string& out)
    : layout_(layout), out_(out) {}

void NumberColumn::add(std::uint64_t row, std::uint64_t number) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto count = static_cast<std::size_t>(end - digits);
    const std::size_t column = std::min(count, layout_.leftMilli.size()) - 1;
    const std::int64_t x = layout_.leftMilli[column];
    const std::int64_t y = layout_.baselineOf(row);
    if (!open_) {
        out_ += layout_.opening;
        appendMilli(out_, x);
        out_ += ' ';
        appendMilli(out_, y);
        out_ += " Td\r\n(";
        out_.append(digits, count);
        out_ += ") Tj";
        open_ = true;
    } else if (x == x_ && y_ - y == layout_.leadingMilli) {
        // The most common step: the next numbered line, as wide.
        out_ += "\r\n(";
        out_.append(digits, count);
        out_ += ")'";
    } else {
        // Moves are differences of the rounded places, so that every number
        // lands exactly where it would be placed on its own.
        out_ += "\r\n";
        appendMilli(out_, x - x_);
        out_ += ' ';
        appendMilli(out_, y - y_);
        out_ += " Td\r\n(";
        out_.append(digits, count);
        out_ += ") Tj";
    }
    x_ = x;
    y_ = y;
}

void NumberColumn::finish() {
    if (!open_) return;
    out_ += "\r\n";
    out_ += kCloseBlock;
    open_ = false;
}

}  // namespace leafwright
