#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

// A font's /ToUnicode CMap: which text each character code of its strings
// stands for. Codes are one to four bytes long, their lengths given by the
// code space ranges; the text of a code is UTF-16BE in the map (a surrogate
// pair, or several characters for a ligature) and comes out as UTF-8.
class ToUnicodeMap {
  public:
    static constexpr std::size_t kMaxCodeLength = 4;

    void addCodeSpace(std::string_view low, std::string_view high);
    // One code and its text (UTF-16BE bytes), which may be empty.
    void addCode(std::string_view code, std::string_view text);
    // Codes from low to high; the text of low + k is text with k added to its
    // last UTF-16 unit.
    void addIncrementingRange(std::string_view low, std::string_view high, std::string_view text);
    // Makes what was added ready for look-ups; call once after the last add.
    // Where entries overlap, the one added last gives a code its text.
    void finish();

    bool empty() const noexcept { return ranges_.empty(); }
    // Entries kept so far; a map stops growing at a fixed limit so that a
    // hostile file cannot make it take much memory.
    std::size_t size() const noexcept { return ranges_.size(); }

    // The length of the code that the bytes begin with, when they are enough
    // to tell: 0 while more bytes are needed (fewer than the longest code).
    // With no code space of their length the shortest code length is taken.
    std::size_t codeLengthAt(std::string_view bytes) const;

    // Appends the UTF-8 text of one code (U+FFFD when the map lacks it).
    void appendText(std::string_view code, std::string& out) const;

  private:
    struct CodeSpace {
        std::uint8_t length;
        std::uint8_t low[kMaxCodeLength];
        std::uint8_t high[kMaxCodeLength];
    };
    struct Range {
        std::uint64_t low;  // code length in the bits above 32, then the code
        std::uint64_t high;
        std::uint32_t text;  // first unit in units_
        std::uint16_t textLength;
        bool incrementing;
    };
    // A run of codes that one range gives its text: the runs do not overlap
    // and are sorted, so that a code is found by a binary search.
    struct Piece {
        std::uint64_t low;
        std::uint64_t high;
        std::uint32_t range;  // in ranges_
    };

    static std::uint64_t keyOf(std::string_view code);
    bool matchesCodeSpace(std::string_view bytes) const;
    std::size_t shortestCodeLength() const;
    void addRange(std::string_view low, std::string_view high, std::string_view text,
                  bool incrementing);

    std::vector<CodeSpace> codeSpaces_;
    std::vector<Range> ranges_;  // in the order added
    std::vector<Piece> pieces_;
    std::vector<char16_t> units_;
    std::size_t firstCodeLength_ = 0;  // of the first code added, for a map without code spaces
};

// Appends UTF-16 units as UTF-8; an unpaired surrogate becomes U+FFFD.
void appendUtf16AsUtf8(const char16_t* units, std::size_t count, std::string& out);

}  // namespace leafwright
