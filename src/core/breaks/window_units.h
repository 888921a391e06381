#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace leafwright {

// A window of UTF-8 text copied as UTF-16, with the byte offset of each
// unit, so that the break rules can walk it as UTF-16. The rules find the
// same boundaries in either form; UTF-16 is what they read fastest, where
// the UTF-8 form makes them rebuild a map of a stretch of text each time
// they jump to another place in it (a row's end, then the next row's).
//
// Only well-formed UTF-8 of at most kLargest bytes is copied (take() says
// whether it was); the break rules read any other window as UTF-8, so that
// ill-formed bytes are read in one way only and the copy stays small.
class WindowUnits {
  public:
    // The copy takes six bytes a byte of text at most, and keeps its room
    // for the next window: under a megabyte.
    static constexpr std::size_t kLargest = std::size_t{1} << 17;

    // Copies `text` when it is short and well-formed, and says whether it
    // did; otherwise holds nothing.
    bool take(std::string_view text);

    const char16_t* units() const noexcept { return units_.data(); }
    std::int32_t unitCount() const noexcept { return count_; }

    // The first unit of the character that holds byte `index` (0..the
    // text's size; the size gives the unit count).
    std::int32_t unitOf(std::int32_t index) const noexcept;
    // The byte offset of the character that unit `unit` is part of
    // (0..unitCount()).
    std::int32_t byteOf(std::int32_t unit) const noexcept { return byteOfUnit_[unit]; }
    // Whether byte `index` starts a character (or is the text's end).
    bool startsCharacter(std::int32_t index) const noexcept {
        return byteOf(unitOf(index)) == index;
    }

  private:
    // Sized for the longest window yet; count_ of them in use.
    std::vector<char16_t> units_;
    std::vector<std::int32_t> byteOfUnit_;  // count_ + 1 in use
    std::int32_t count_ = 0;
};

}  // namespace leafwright
