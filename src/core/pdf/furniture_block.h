#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// The furniture of one page in the standard font, written as one artifact
// block: its rules first (a path may not stand in a text object), then one
// text object that holds the header's and the footer's fields and the line
// numbers, each placed by a move from the one before. Several operators
// share a line; every line ends in CR LF, as the rest of the document's.
class FurnitureBlock {
  public:
    explicit FurnitureBlock(std::string& out) : out_(out) {}

    // What is open and where the text line starts (thousandths of a
    // point): bytes made once for many pages leave the block so.
    struct State {
        bool artifactOpen = false;
        bool textOpen = false;
        bool lineOpen = false;
        std::int64_t x = 0, y = 0;
    };
    const State& state() const noexcept { return state_; }
    void setState(const State& state) noexcept { state_ = state; }
    // Appends bytes made once that leave the block as `after` says.
    void append(std::string_view bytes, const State& after) {
        out_ += bytes;
        state_ = after;
    }

    bool textOpen() const noexcept { return state_.textOpen; }
    // Writes bytes that open the artifact (and, with `opensText`, its text
    // object) and end a line.
    void open(std::string_view opening, bool opensText);
    // Opens the text object with `opening` (its "BT" line and what follows
    // it), and the artifact first when nothing opened it.
    void openText(std::string_view opening);
    // Where the text line starts, in thousandths of a point.
    std::int64_t x() const noexcept { return state_.x; }
    std::int64_t y() const noexcept { return state_.y; }
    // The line starts one leading lower, as "'" moves it.
    void movedDownTo(std::int64_t y) noexcept { state_.y = y; }
    // Moves the text line's start to (x, y) with "Td", by the difference of
    // the rounded places, so that each text lands where it would on its own.
    void moveTo(std::int64_t x, std::int64_t y);
    // Bytes on the line being written: an operator before them ends it.
    void write(std::string_view bytes) {
        out_ += bytes;
        state_.lineOpen = true;
    }
    // Ends the line being written, if any, and writes a whole line (its
    // bytes end in CR LF).
    void writeLine(std::string_view line) {
        endLine();
        out_ += line;
    }
    // Ends the line being written, if any.
    void endLine();
    // Closes what is open: the text object, then the artifact.
    void close();

  private:
    std::string& out_;
    State state_;
};

// Appends thousandths of a point as a content stream writes a number: no
// trailing zeros after the point, no point for a whole number.
void appendMilli(std::string& out, std::int64_t thousandths);

}  // namespace leafwright
