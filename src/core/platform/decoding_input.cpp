#include "core/platform/decoding_input.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace leafwright {

namespace {
constexpr std::size_t kRawBuffer = 64 << 10;
constexpr std::size_t kTextBuffer = 64 << 10;
// Fewer unconverted bytes than this may be a sequence cut short: read more
// first. Longer than any sequence or escape of an encoding.
constexpr std::size_t kRefillBelow = 64;
}  // namespace

DecodingInput::DecodingInput(std::unique_ptr<TextConverter> converter, std::uint64_t textStart,
                             ReadAt readAt, std::uint64_t restartEvery)
    : converter_(std::move(converter)),
      readAt_(std::move(readAt)),
      restartEvery_(std::max<std::uint64_t>(restartEvery, 1)),
      raw_(new char[kRawBuffer]),
      text_(new char[kTextBuffer]) {
    restarts_.push_back({0, textStart, 0});
    startAt(restarts_.front());
}

void DecodingInput::startAt(const RestartPoint& point) {
    converter_->restart();
    rawBegin_ = rawEnd_ = 0;
    nextRead_ = point.source;
    sourceEnded_ = finished_ = false;
    textBegin_ = textEnd_ = 0;
    stagedFrom_ = point.text;
    invalid_ = point.invalid;
}

void DecodingInput::note(std::size_t invalid) noexcept {
    invalid_ += invalid;
    invalidSeen_ = std::max(invalidSeen_, invalid_);
}

std::size_t DecodingInput::read(char* into, std::size_t size) {
    if (textBegin_ == textEnd_ && !produce()) return 0;
    const std::size_t count = std::min(size, textEnd_ - textBegin_);
    std::memcpy(into, text_.get() + textBegin_, count);
    textBegin_ += count;
    return count;
}

void DecodingInput::seek(std::uint64_t offset) {
    const std::uint64_t here = position();
    if (offset >= here && offset - here <= textEnd_ - textBegin_) {
        textBegin_ += static_cast<std::size_t>(offset - here);
        return;
    }
    auto after = std::upper_bound(
        restarts_.begin(), restarts_.end(), offset,
        [](std::uint64_t at, const RestartPoint& point) { return at < point.text; });
    const RestartPoint& point = *std::prev(after);  // the first is at 0
    if (offset < here || here < point.text) startAt(point);
    while (position() < offset) {
        if (textBegin_ == textEnd_ && !produce()) return;
        textBegin_ += static_cast<std::size_t>(
            std::min<std::uint64_t>(offset - position(), textEnd_ - textBegin_));
    }
}

void DecodingInput::refill() {
    if (rawBegin_ > 0) {
        std::memmove(raw_.get(), raw_.get() + rawBegin_, rawEnd_ - rawBegin_);
        rawEnd_ -= rawBegin_;
        rawBegin_ = 0;
    }
    if (rawEnd_ == kRawBuffer) throw std::logic_error("a text converter takes no bytes");
    const std::size_t got = readAt_(nextRead_, raw_.get() + rawEnd_, kRawBuffer - rawEnd_);
    if (got == 0) sourceEnded_ = true;
    rawEnd_ += got;
    nextRead_ += got;
}

// Converts into an empty staging buffer until it holds something or the
// text is over; returns false at its end.
bool DecodingInput::produce() {
    stagedFrom_ += textEnd_;
    textBegin_ = textEnd_ = 0;
    char* const start = text_.get();
    char* const end = start + kTextBuffer;
    char* out = start;
    while (out == start) {
        if (finished_) return false;
        if (!sourceEnded_ && rawEnd_ - rawBegin_ < kRefillBelow) refill();
        std::string_view in(raw_.get() + rawBegin_, rawEnd_ - rawBegin_);
        const std::size_t before = in.size();
        convertSome(in, out, end);
        const bool progressed = in.size() != before || out != start;
        rawBegin_ += before - in.size();
        if (progressed) continue;
        if (!sourceEnded_) {
            refill();
            continue;
        }
        note(converter_->finish(in, out, end));
        rawBegin_ = rawEnd_;
        finished_ = true;
    }
    textEnd_ = static_cast<std::size_t>(out - start);
    return true;
}

// Once a restart point is due, the bytes up to the next line feed go
// alone: when the converter takes them all and writes the line feed last,
// the text after them starts a line and the converter its start state.
void DecodingInput::convertSome(std::string_view& in, char*& out, char* outEnd) {
    const std::uint64_t outAt = stagedFrom_ + static_cast<std::size_t>(out - text_.get());
    if (converter_->restartsAfterLineFeeds() && outAt >= restarts_.back().text + restartEvery_) {
        const std::string_view lineFeed = converter_->lineFeed();
        const std::size_t found = in.find(lineFeed);
        if (found != std::string_view::npos && !lineFeed.empty()) {
            std::string_view head = in.substr(0, found + lineFeed.size());
            const std::size_t headSize = head.size();
            char* const outBefore = out;
            note(converter_->convert(head, out, outEnd));
            const std::size_t taken = headSize - head.size();
            in.remove_prefix(taken);
            if (head.empty() && out > outBefore && out[-1] == '\n') {
                const std::uint64_t text = outAt + static_cast<std::size_t>(out - outBefore);
                const std::uint64_t source = nextRead_ - (rawEnd_ - rawBegin_) + taken;
                restarts_.push_back({text, source, invalid_});
            }
            if (taken > 0 || out != outBefore) return;
        }
    }
    note(converter_->convert(in, out, outEnd));
}

}  // namespace leafwright
