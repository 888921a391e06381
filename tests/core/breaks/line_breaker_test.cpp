#include "core/breaks/line_breaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <thread>

#include "break_test_text.h"
#include "core/breaks/piece_end.h"

namespace leafwright {
namespace {

using namespace break_test;

std::vector<std::uint64_t> breaksOfLine(LineBreaker& breaker, std::string_view line) {
    breaker.setWindow(wholeLine(line));
    return breaksOf(breaker);
}

// Where each of the parts of a text ends.
std::vector<std::uint64_t> endsOf(const std::vector<std::string>& parts) {
    std::vector<std::uint64_t> ends;
    for (const std::string& part : parts)
        ends.push_back((ends.empty() ? 0 : ends.back()) + part.size());
    return ends;
}

std::string joined(const std::vector<std::string>& parts) {
    return std::accumulate(parts.begin(), parts.end(), std::string());
}

bool holds(const std::vector<std::uint64_t>& positions, std::uint64_t position) {
    return std::find(positions.begin(), positions.end(), position) != positions.end();
}

// The ends of the words a reader of these scripts finds in text written
// without spaces.
TEST(LineBreaker, ScriptsWithoutSpacesBreakBetweenDictionaryWords) {
    const std::vector<std::vector<std::string>> sentences = {
        {"ภาษา", "ไทย", "เป็น", "ภาษา", "ที่", "สวยงาม"},
        {"ພາສາ", "ລາວ", "ເປັນ", "ພາສາ", "ທີ່", "ງາມ"},
        {"ភាសាខ្មែរ", "ជា", "ភាសា", "ដ៏", "ស្រស់", "ស្អាត"},
        {"မြန်မာဘာသာ", "သည်", "လှပ", "သော", "ဘာသာ", "ဖြစ်သည်"},
    };
    LineBreaker breaker;
    for (const auto& words : sentences)
        EXPECT_EQ(breaksOfLine(breaker, joined(words)), endsOf(words)) << joined(words);
}

TEST(LineBreaker, BreaksFollowEachScriptsRules) {
    LineBreaker breaker;
    // Latin and Arabic, Devanagari and Korean words stay whole: a break
    // follows a space, a hyphen, or a slash or question mark of an address.
    for (const std::size_t sample : {0, 3, 8, 9}) {
        const std::string& line = kSentences[sample];
        for (const std::uint64_t at : breaksOfLine(breaker, line))
            EXPECT_TRUE(at == line.size() ||
                        std::string_view(" -/?").find(line[at - 1]) != std::string_view::npos)
                << line << " broken at " << at;
    }
    const std::string& latin = kSentences[0];
    const auto latinBreaks = breaksOfLine(breaker, latin);
    for (const std::string_view before : {"well-", "e-", "https://", "re-"})
        EXPECT_TRUE(holds(latinBreaks, latin.find(before) + before.size())) << before;

    // Japanese and Chinese break between characters, never before a full
    // stop, a comma or a closing bracket, nor after an opening one.
    for (const std::size_t sample : {1, 2}) {
        const std::string& line = kSentences[sample];
        const auto breaks = breaksOfLine(breaker, line);
        EXPECT_GT(breaks.size(), 8u) << line;
        for (const std::uint64_t at : breaks) {
            if (at < line.size()) {
                EXPECT_EQ(std::u32string_view(U"。」，").find(codePointAt(line, at)),
                          std::u32string_view::npos)
                    << line << " broken at " << at;
            }
            EXPECT_NE(codePointBefore(line, at), U'「') << line << " broken at " << at;
        }
    }
}

// Also where the line rules alone would break: before a mark on a space, and
// before a skin tone on a letter.
TEST(LineBreaker, EmojiSequencesAndMarkedLettersStayWhole) {
    const std::vector<std::string> clusters = {
        "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466",
        " ",
        "\U0001F44D\U0001F3FD",
        "\U0001F44B\U0001F3FF",
        " ",
        "\U0001F1EF\U0001F1F5",
        "\U0001F1EB\U0001F1F7",
        "\U0001F3F3\uFE0F\u200D\U0001F308",
        "e\u0301\u0323",
        "\u0915\u093F",
        "\u0937\u0947",
        " ",
        "x",
        " \u0301",
        "y",
        "a\U0001F3FD",
        " "};
    const std::string line = joined(clusters);
    LineBreaker breaker;
    breaker.setWindow(wholeLine(line));
    EXPECT_EQ(clustersOf(breaker), endsOf(clusters));
    for (const std::uint64_t at : breaksOf(breaker)) EXPECT_TRUE(holds(endsOf(clusters), at)) << at;
}

// Breaks of a long line of every script: on cluster boundaries, never
// between two Hangul characters, and the same in windows of any size and
// place (inside their safe zones) as in the whole line.
TEST(LineBreaker, WindowsAgreeWithTheWholeLine) {
    const std::string line = mixedLine(200'000, 7);
    LineBreaker breaker;
    breaker.setWindow(wholeLine(line));
    const std::vector<std::uint64_t> breaks = breaksOf(breaker);
    const std::vector<std::uint64_t> clusters = clustersOf(breaker);
    ASSERT_GT(breaks.size(), 10'000u);
    EXPECT_TRUE(std::includes(clusters.begin(), clusters.end(), breaks.begin(), breaks.end()));
    for (const std::uint64_t at : breaks)
        if (at < line.size()) {
            ASSERT_FALSE(isHangul(codePointBefore(line, at)) && isHangul(codePointAt(line, at)))
                << "broken at " << at;
        }

    const auto inZone = [&](const std::vector<std::uint64_t>& all, std::uint64_t start) {
        std::vector<std::uint64_t> zone;
        for (const std::uint64_t at : all)
            if (at > start && at >= breaker.safeBegin() && at <= breaker.safeEnd())
                zone.push_back(at);
        return zone;
    };
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const std::size_t size = 1'500 + random() % 15'000;
        const bool known = round % 3 == 0;
        std::size_t start = random() % (line.size() - 1'000);
        // A known start is a break of the whole line.
        if (known) start = *std::lower_bound(breaks.begin(), breaks.end(), start);
        const std::size_t end = std::min(line.size(), start + size);
        breaker.setWindow(
            {std::string_view(line).substr(start, end - start), start, known, end == line.size()});
        ASSERT_EQ(breaksOf(breaker), inZone(breaks, start)) << "window " << start << "+" << size;
        ASSERT_EQ(clustersOf(breaker), inZone(clusters, start))
            << "window " << start << "+" << size;
    }
}

// A base with 100,000 marks is one cluster of 200 kB: windows over it still
// give cuts between code points, at most kLongestCluster apart.
TEST(LineBreaker, OverlongClustersAreCutBetweenCodePoints) {
    std::string line = "a";
    for (int i = 0; i < 100'000; ++i) line += "\u0301";
    line += " b";
    LineBreaker breaker;
    std::uint64_t at = 0;
    while (at < line.size()) {
        const std::size_t end = std::min<std::size_t>(line.size(), at + 8'192);
        breaker.setWindow(
            {std::string_view(line).substr(at, end - at), at, true, end == line.size()});
        const auto cut = breaker.nextCluster(at);
        ASSERT_TRUE(cut) << "no cut after " << at;
        ASSERT_GT(*cut, at);
        ASSERT_LE(*cut - at, LineBreaker::kLongestCluster);
        ASSERT_TRUE(*cut == line.size() || (line[*cut] & 0xC0) != 0x80) << "inside a code point";
        EXPECT_EQ(findPieceEnd(breaker, at, at, BreakRule::wordsThenCharacters).end, *cut);
        // No word break inside the cluster: only after its space.
        if (const auto word = breaker.nextBreak(at)) {
            EXPECT_GE(*word, line.size() - 1);
        }
        at = *cut;
    }
}

// Two threads, each with its own breaker, find the breaks one thread finds.
TEST(LineBreaker, BreakersOfTwoThreadsAgree) {
    const std::string line = mixedLine(100'000, 3);
    LineBreaker alone;
    const std::vector<std::uint64_t> expected = breaksOfLine(alone, line);
    std::vector<std::uint64_t> found[2];
    std::thread threads[2];
    for (int t = 0; t < 2; ++t)
        threads[t] = std::thread([&, t] {
            LineBreaker own;
            for (int i = 0; i < 3; ++i) found[t] = breaksOfLine(own, line);
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(found[0], expected);
    EXPECT_EQ(found[1], expected);
}

// Bytes that are not UTF-8, cut anywhere: every answer stays inside the
// window, in order, and white space is found only where it is.
TEST(LineBreaker, TextThatIsNotUtf8GivesOrderedAnswersInTheWindow) {
    std::mt19937 random(5);
    LineBreaker breaker;
    for (int round = 0; round < 200; ++round) {
        std::string bytes(1 + random() % 3'000, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random() % 4 == 0 ? ' ' : random());
        const std::uint64_t start = random() % 1'000'000;
        breaker.setWindow({bytes, start, round % 2 == 0, round % 4 < 2});
        for (const auto& found : {breaksOf(breaker), clustersOf(breaker)}) {
            ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
            for (const std::uint64_t at : found)
                ASSERT_TRUE(at > start && at <= start + bytes.size());
        }
        const std::uint64_t middle = start + random() % bytes.size();
        const auto hanging = breaker.hangingEnd(middle);
        if (hanging && *hanging > middle) {
            EXPECT_NE(std::string_view(" \t").find(bytes[middle - start]), std::string_view::npos);
        }
        EXPECT_LE(breaker.hangingStart(middle), middle);
        EXPECT_GE(breaker.hangingStart(middle), start);
    }
}

}  // namespace
}  // namespace leafwright
