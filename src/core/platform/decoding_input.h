#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/platform/text_converter.h"

namespace leafwright {

// The text of a file in another encoding, handed out as UTF-8 in pieces,
// its offsets counted in that UTF-8. It holds two buffers of the file and
// its text at most, whatever the file's size. Going back to an earlier
// offset decodes again from the nearest restart point before it: one kept
// about every restartEvery bytes of text at a line start, for a converter
// that may restart there; only the text's start for one with shift states.
class DecodingInput {
  public:
    // Reads the file's bytes as they are at an offset; returns how many (0
    // at its end). Throws on a read error.
    using ReadAt = std::function<std::size_t(std::uint64_t offset, char* into, std::size_t size)>;
    static constexpr std::uint64_t kRestartEvery = 1 << 20;

    // The text starts at the file offset textStart (after a byte-order mark).
    DecodingInput(std::unique_ptr<TextConverter> converter, std::uint64_t textStart, ReadAt readAt,
                  std::uint64_t restartEvery = kRestartEvery);
    DecodingInput(const DecodingInput&) = delete;
    DecodingInput& operator=(const DecodingInput&) = delete;

    // Up to size bytes of the text from where it stands; 0 at its end.
    std::size_t read(char* into, std::size_t size);
    // Goes on from an offset in the text (its end, when it is shorter).
    void seek(std::uint64_t offset);
    // The invalid sequences of the text as far as it was ever read.
    std::uint64_t invalidSequences() const noexcept { return invalidSeen_; }

  private:
    struct RestartPoint {
        std::uint64_t text = 0;     // offset in the text
        std::uint64_t source = 0;   // offset in the file
        std::uint64_t invalid = 0;  // invalid sequences before it
    };

    bool produce();
    void convertSome(std::string_view& in, char*& out, char* outEnd);
    void refill();
    void startAt(const RestartPoint& point);
    void note(std::size_t invalid) noexcept;
    std::uint64_t position() const noexcept { return stagedFrom_ + textBegin_; }

    std::unique_ptr<TextConverter> converter_;
    ReadAt readAt_;
    std::uint64_t restartEvery_;
    std::vector<RestartPoint> restarts_;

    std::unique_ptr<char[]> raw_;  // file bytes read and not yet converted
    std::size_t rawBegin_ = 0, rawEnd_ = 0;
    std::uint64_t nextRead_ = 0;  // the file offset right after raw_[rawEnd_ - 1]
    bool sourceEnded_ = false;
    bool finished_ = false;  // the converter's finish has run

    std::unique_ptr<char[]> text_;  // converted and not yet handed out
    std::size_t textBegin_ = 0, textEnd_ = 0;
    std::uint64_t stagedFrom_ = 0;  // the text offset of text_[0]
    std::uint64_t invalid_ = 0, invalidSeen_ = 0;
};

}  // namespace leafwright
