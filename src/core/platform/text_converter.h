#pragma once

#include <cstddef>
#include <string_view>

namespace leafwright {

// Turns the bytes of one text encoding into UTF-8, a piece at a time. A
// byte sequence that is not valid in the encoding becomes U+FFFD and is
// counted, so that nothing is dropped without a word.
class TextConverter {
  public:
    // The most bytes one step of a conversion writes (a character or U+FFFD).
    static constexpr std::size_t kLongestOutput = 16;

    virtual ~TextConverter() = default;

    // Converts from the front of `in` into [out, outEnd), moving both on. It
    // stops when in is used up, when fewer than kLongestOutput bytes of room
    // are left, or at a sequence cut short by the end of in, which stays in
    // in for the next call. Returns the number of invalid sequences met.
    virtual std::size_t convert(std::string_view& in, char*& out, char* outEnd) = 0;
    // At the end of the text, after convert: what is left of in (a sequence
    // cut short) becomes U+FFFD, and what the converter held back is
    // written; out needs 2 * kLongestOutput bytes of room. Returns the
    // invalid sequences met. The converter is then as restart leaves it.
    virtual std::size_t finish(std::string_view& in, char*& out, char* outEnd) = 0;
    // Back to the state the text starts in.
    virtual void restart() = 0;

    // Whether the converter may start afresh right after any line feed and
    // read on as it would have: not so for encodings with shift states
    // (ISO-2022-JP, UTF-7), whose meaning of a byte depends on what came
    // before it on earlier lines.
    virtual bool restartsAfterLineFeeds() const = 0;
    // The bytes of a line feed in the encoding (when it restarts after them).
    virtual std::string_view lineFeed() const = 0;
};

}  // namespace leafwright
