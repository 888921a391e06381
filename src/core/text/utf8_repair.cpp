#include "core/text/utf8_repair.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace leafwright {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// How many bytes a character starting with lead takes, and the range its
// second byte must be in (narrower than 0x80..0xBF where the shortest form
// or the surrogates rule the rest out); 0 for a byte that starts none.
struct SequenceShape {
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
};

SequenceShape shapeOf(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return {2};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {};
}

// The bytes before the first one above 0x7F.
std::size_t asciiPrefix(std::string_view bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if ((word & 0x8080808080808080ULL) != 0) break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    return i;
}

}  // namespace

std::size_t Utf8Repair::convert(std::string_view& in, char*& out, char* outEnd) {
    std::size_t invalid = 0;
    while (!in.empty() && static_cast<std::size_t>(outEnd - out) >= kLongestOutput) {
        const std::size_t room = static_cast<std::size_t>(outEnd - out) - kLongestOutput + 1;
        const std::size_t plain = asciiPrefix(in.substr(0, room));
        std::memcpy(out, in.data(), plain);
        out += plain;
        in.remove_prefix(plain);
        if (in.empty() || plain == room) continue;
        const SequenceShape shape = shapeOf(static_cast<unsigned char>(in[0]));
        std::size_t matched = 1;
        while (matched < shape.length) {
            if (matched == in.size()) return invalid;  // cut short: wait for the rest
            const auto byte = static_cast<unsigned char>(in[matched]);
            const unsigned char low = matched == 1 ? shape.low : 0x80;
            const unsigned char high = matched == 1 ? shape.high : 0xBF;
            if (byte < low || byte > high) break;
            ++matched;
        }
        if (matched == shape.length) {
            std::memcpy(out, in.data(), matched);
            out += matched;
        } else {
            std::memcpy(out, kReplacement.data(), kReplacement.size());
            out += kReplacement.size();
            ++invalid;
        }
        in.remove_prefix(matched);
    }
    return invalid;
}

std::size_t Utf8Repair::finish(std::string_view& in, char*& out, char* outEnd) {
    std::size_t invalid = convert(in, out, outEnd);
    if (!in.empty()) {
        std::memcpy(out, kReplacement.data(), kReplacement.size());
        out += kReplacement.size();
        in = {};
        ++invalid;
    }
    return invalid;
}

}  // namespace leafwright
