#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/breaks/line_breaker.h"

namespace leafwright::break_test {

// Sentences written for these tests: Latin with hyphens and a web address,
// Japanese and Chinese with their brackets and full stops, Korean with
// numbers, Thai, Lao, Khmer and Myanmar without spaces, Arabic, Devanagari
// conjuncts, emoji sequences (ZWJ, skin tones, flags) and stacked marks.
inline const std::vector<std::string> kSentences = {
    "The well-known e-mail at https://example.org/docs/a_b.html?page=2 needs a re-run.",
    "今日は良い天気です。「散歩に行こう」と彼は言った。",
    "我们明天去北京看长城。「好的」，她回答。",
    "대한민국의 수도는 서울입니다. 오늘은 2024년 5월 1일입니다.",
    "ภาษาไทยเป็นภาษาที่สวยงาม วันนี้อากาศดีมาก",
    "ພາສາລາວເປັນພາສາທີ່ງາມ",
    "ភាសាខ្មែរជាភាសាដ៏ស្រស់ស្អាត",
    "မြန်မာဘာသာသည်လှပသောဘာသာဖြစ်သည်",
    "الكتاب على الطاولة والقلم في الحقيبة",
    "क्षत्रिय राष्ट्र की स्वतंत्रता",
    "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 \U0001F44D\U0001F3FD"
    "\U0001F44B\U0001F3FF \U0001F1EF\U0001F1F5\U0001F1EB\U0001F1F7 \u2764\uFE0F\u200D\U0001F525",
    "e\u0301\u0323 a\u0308\u0304o\u0302\u0303\u0301 x\u20DD \u0301a\U0001F3FD",
};

// A line of about `bytes` bytes: the sentences in random order, joined by
// spaces, tabs, ideographic spaces, hyphens or nothing.
inline std::string mixedLine(std::size_t bytes, unsigned seed) {
    static const std::vector<std::string> joints = {" ", " ", "  ", "\t", "\u3000", "-", ""};
    std::mt19937 random(seed);
    std::string line;
    while (line.size() < bytes) {
        line += kSentences[random() % kSentences.size()];
        line += joints[random() % joints.size()];
    }
    return line;
}

inline BreakWindow wholeLine(std::string_view line) {
    return BreakWindow{line, 0, true, true};
}

// Every position the breaker's `next` query reports in its safe zone.
template <typename Next>
std::vector<std::uint64_t> walk(LineBreaker& breaker, Next next) {
    std::vector<std::uint64_t> found;
    const std::uint64_t from = breaker.safeBegin();
    for (auto at = next(breaker, from == 0 ? 0 : from - 1); at; at = next(breaker, *at))
        found.push_back(*at);
    return found;
}

inline std::vector<std::uint64_t> breaksOf(LineBreaker& breaker) {
    return walk(breaker, [](LineBreaker& b, std::uint64_t after) { return b.nextBreak(after); });
}

inline std::vector<std::uint64_t> clustersOf(LineBreaker& breaker) {
    return walk(breaker, [](LineBreaker& b, std::uint64_t after) { return b.nextCluster(after); });
}

// The code point that starts at `at` (a lead byte) in valid UTF-8.
inline char32_t codePointAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(at);
    if (lead < 0x80) return lead;
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t c = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) c = (c << 6) | (byte(at + i) & 0x3F);
    return c;
}

inline char32_t codePointBefore(std::string_view text, std::size_t at) {
    std::size_t start = at - 1;
    while ((static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    return codePointAt(text, start);
}

inline bool isHangul(char32_t c) {
    return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x1100 && c <= 0x11FF) ||
           (c >= 0x3130 && c <= 0x318F) || (c >= 0xA960 && c <= 0xA97F) ||
           (c >= 0xD7B0 && c <= 0xD7FF);
}

}  // namespace leafwright::break_test
