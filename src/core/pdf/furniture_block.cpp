#include "core/pdf/furniture_block.h"

#include <charconv>

namespace leafwright {

namespace {

constexpr std::string_view kOpenArtifact = "/Artifact BMC\r\n";
constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

void appendMilli(std::string& out, std::int64_t thousandths) {
    const std::uint64_t magnitude = thousandths < 0 ? 0 - static_cast<std::uint64_t>(thousandths)
                                                    : static_cast<std::uint64_t>(thousandths);
    // Sign, digits, point and three decimals, appended at once.
    char text[32];
    char* at = text;
    if (thousandths < 0) *at++ = '-';
    at = std::to_chars(at, text + sizeof text, magnitude / 1000).ptr;
    if (const auto fraction = static_cast<unsigned>(magnitude % 1000); fraction != 0) {
        *at++ = '.';
        *at++ = static_cast<char>('0' + fraction / 100);
        *at++ = static_cast<char>('0' + fraction / 10 % 10);
        *at++ = static_cast<char>('0' + fraction % 10);
        while (at[-1] == '0') --at;
    }
    out.append(text, static_cast<std::size_t>(at - text));
}

void FurnitureBlock::open(std::string_view opening, bool opensText) {
    out_ += opening;
    state_ = State{true, opensText, false, 0, 0};
}

void FurnitureBlock::openText(std::string_view opening) {
    endLine();
    if (!state_.artifactOpen) out_ += kOpenArtifact;
    out_ += opening;
    // A text object starts at the page's origin.
    state_ = State{true, true, false, 0, 0};
}

void FurnitureBlock::moveTo(std::int64_t x, std::int64_t y) {
    if (state_.lineOpen) out_ += ' ';
    appendMilli(out_, x - state_.x);
    out_ += ' ';
    appendMilli(out_, y - state_.y);
    out_ += " Td";
    state_.x = x;
    state_.y = y;
    state_.lineOpen = true;
}

void FurnitureBlock::endLine() {
    if (!state_.lineOpen) return;
    out_ += kLineEnd;
    state_.lineOpen = false;
}

void FurnitureBlock::close() {
    endLine();
    if (state_.textOpen) out_ += "ET\r\n";
    if (state_.artifactOpen) out_ += "EMC\r\n";
    state_ = State{};
}

}  // namespace leafwright
