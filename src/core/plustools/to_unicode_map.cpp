#include "core/plustools/to_unicode_map.h"

#include <algorithm>
#include <queue>

#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

// A two-byte code space holds at most 65,536 codes; a little beyond that is
// room enough for any real map, and bounds what a hostile one can claim.
constexpr std::size_t kMaxRanges = 70000;
constexpr std::size_t kMaxUnits = 1u << 17;
constexpr std::size_t kMaxTextUnits = 256;  // a code's text: at most 512 bytes
constexpr std::size_t kMaxCodeSpaces = 64;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

}  // namespace

void appendUtf16AsUtf8(const char16_t* units, std::size_t count, std::string& out) {
    for (std::size_t at = 0; at < count; ++at) {
        char32_t unit = units[at];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < count && units[at + 1] >= 0xDC00 &&
            units[at + 1] <= 0xDFFF) {
            char32_t low = units[++at];
            appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
        } else {
            appendUtf8(unit, out);  // a lone surrogate comes out as U+FFFD
        }
    }
}

std::uint64_t ToUnicodeMap::keyOf(std::string_view code) {
    std::uint64_t value = 0;
    for (char byte : code) value = (value << 8) | static_cast<unsigned char>(byte);
    return (static_cast<std::uint64_t>(code.size()) << 32) | value;
}

void ToUnicodeMap::addCodeSpace(std::string_view low, std::string_view high) {
    if (low.empty() || low.size() > kMaxCodeLength || low.size() != high.size() ||
        codeSpaces_.size() >= kMaxCodeSpaces)
        return;
    CodeSpace space{};
    space.length = static_cast<std::uint8_t>(low.size());
    for (std::size_t k = 0; k < low.size(); ++k) {
        space.low[k] = static_cast<std::uint8_t>(low[k]);
        space.high[k] = static_cast<std::uint8_t>(high[k]);
    }
    codeSpaces_.push_back(space);
}

void ToUnicodeMap::addRange(std::string_view low, std::string_view high, std::string_view text,
                            bool incrementing) {
    if (low.empty() || low.size() > kMaxCodeLength || low.size() != high.size()) return;
    std::size_t textLength = std::min(text.size() / 2, kMaxTextUnits);
    // A code may stand for no text (a glyph drawing part of a cluster whose
    // text another glyph carries); a range must count up from some text.
    if ((textLength == 0 && incrementing) || ranges_.size() >= kMaxRanges ||
        units_.size() + textLength > kMaxUnits)
        return;
    std::uint64_t lowKey = keyOf(low), highKey = keyOf(high);
    if (highKey < lowKey) return;
    if (firstCodeLength_ == 0) firstCodeLength_ = low.size();
    Range range{lowKey, highKey, static_cast<std::uint32_t>(units_.size()),
                static_cast<std::uint16_t>(textLength), incrementing};
    for (std::size_t k = 0; k < textLength; ++k)
        units_.push_back(static_cast<char16_t>((static_cast<unsigned char>(text[2 * k]) << 8) |
                                               static_cast<unsigned char>(text[2 * k + 1])));
    ranges_.push_back(range);
}

void ToUnicodeMap::addCode(std::string_view code, std::string_view text) {
    addRange(code, code, text, false);
}

void ToUnicodeMap::addIncrementingRange(std::string_view low, std::string_view high,
                                        std::string_view text) {
    addRange(low, high, text, true);
}

void ToUnicodeMap::finish() {
    // The code line is cut at every range's ends; each stretch between two
    // cuts belongs to the range added last of those that cover it (a later
    // entry overrides an earlier one, as readers of PDF take it). A sweep
    // from the lowest cut up keeps the ranges covering the stretch at hand
    // in a heap, the latest on top; those that ended below it leave when
    // they reach the top.
    std::vector<std::uint32_t> byLow(ranges_.size());
    for (std::uint32_t k = 0; k < byLow.size(); ++k) byLow[k] = k;
    std::sort(byLow.begin(), byLow.end(),
              [this](std::uint32_t a, std::uint32_t b) { return ranges_[a].low < ranges_[b].low; });
    std::vector<std::uint64_t> cuts;
    cuts.reserve(2 * ranges_.size());
    for (const Range& range : ranges_) {
        cuts.push_back(range.low);
        cuts.push_back(range.high + 1);  // the key's length bits keep this from overflowing
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    pieces_.clear();
    std::priority_queue<std::uint32_t> covering;
    std::size_t next = 0;
    for (std::size_t cut = 0; cut + 1 < cuts.size(); ++cut) {
        const std::uint64_t low = cuts[cut], high = cuts[cut + 1] - 1;
        while (next < byLow.size() && ranges_[byLow[next]].low == low) covering.push(byLow[next++]);
        while (!covering.empty() && ranges_[covering.top()].high < low) covering.pop();
        if (covering.empty()) continue;
        const std::uint32_t range = covering.top();
        if (!pieces_.empty() && pieces_.back().range == range && pieces_.back().high + 1 == low) {
            pieces_.back().high = high;
        } else {
            pieces_.push_back(Piece{low, high, range});
        }
    }
    pieces_.shrink_to_fit();
    ranges_.shrink_to_fit();
    units_.shrink_to_fit();
}

bool ToUnicodeMap::matchesCodeSpace(std::string_view bytes) const {
    for (const CodeSpace& space : codeSpaces_) {
        if (space.length != bytes.size()) continue;
        bool inside = true;
        for (std::size_t k = 0; k < bytes.size() && inside; ++k) {
            auto byte = static_cast<std::uint8_t>(bytes[k]);
            inside = byte >= space.low[k] && byte <= space.high[k];
        }
        if (inside) return true;
    }
    return false;
}

std::size_t ToUnicodeMap::shortestCodeLength() const {
    std::size_t shortest = kMaxCodeLength;
    for (const CodeSpace& space : codeSpaces_)
        shortest = std::min<std::size_t>(shortest, space.length);
    return shortest;
}

std::size_t ToUnicodeMap::codeLengthAt(std::string_view bytes) const {
    if (codeSpaces_.empty()) {
        std::size_t length = firstCodeLength_ == 0 ? 1 : firstCodeLength_;
        return bytes.size() >= length ? length : 0;
    }
    for (std::size_t length = 1; length <= std::min(bytes.size(), kMaxCodeLength); ++length)
        if (matchesCodeSpace(bytes.substr(0, length))) return length;
    // Bytes that fit no code space: as many as the shortest code takes.
    if (bytes.size() < kMaxCodeLength) return 0;
    return shortestCodeLength();
}

void ToUnicodeMap::appendText(std::string_view code, std::string& out) const {
    const std::uint64_t key = keyOf(code);
    auto after =
        std::upper_bound(pieces_.begin(), pieces_.end(), key,
                         [](std::uint64_t k, const Piece& piece) { return k < piece.low; });
    if (after == pieces_.begin() || (after - 1)->high < key) {
        out.append(kReplacement);
        return;
    }
    const Range& range = ranges_[(after - 1)->range];
    const char16_t* text = units_.data() + range.text;
    if (!range.incrementing || key == range.low) {
        appendUtf16AsUtf8(text, range.textLength, out);
        return;
    }
    // The code's place in its range is added to the text's last unit; a
    // text that would pass U+FFFF that way stands for no character.
    const std::uint64_t last = text[range.textLength - 1] + (key - range.low);
    if (last > 0xFFFF) {
        out.append(kReplacement);
        return;
    }
    std::u16string shifted(text, range.textLength);
    shifted.back() = static_cast<char16_t>(last);
    appendUtf16AsUtf8(shifted.data(), shifted.size(), out);
}

}  // namespace leafwright
