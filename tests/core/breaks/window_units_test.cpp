#include "core/breaks/window_units.h"

#include <gtest/gtest.h>

#include <random>

#include "break_test_text.h"
#include "core/breaks/line_breaker.h"
#include "core/breaks/piece_end.h"

namespace leafwright {
namespace {

using namespace break_test;

// The copy's tables against a decoding of their own: every byte maps to the
// unit of its character, every unit back to its character's first byte,
// and four-byte characters take two units.
TEST(WindowUnits, MapBytesAndUnitsBothWays) {
    const std::string text = mixedLine(20'000, 2);
    WindowUnits units;
    ASSERT_TRUE(units.take(text));
    std::int32_t unit = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        while (at + length < text.size() &&
               (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
            ++length;
        const char32_t c = codePointAt(text, at);
        for (std::size_t k = 0; k < length; ++k)
            ASSERT_EQ(units.unitOf(static_cast<std::int32_t>(at + k)), unit) << at + k;
        ASSERT_TRUE(units.startsCharacter(static_cast<std::int32_t>(at)));
        if (length > 1) {
            ASSERT_FALSE(units.startsCharacter(static_cast<std::int32_t>(at + 1)));
        }
        ASSERT_EQ(units.byteOf(unit), static_cast<std::int32_t>(at));
        if (c >= 0x10000) {
            ASSERT_EQ(units.units()[unit], 0xD800 + ((c - 0x10000) >> 10));
            ASSERT_EQ(units.units()[unit + 1], 0xDC00 + (c & 0x3FF));
            ASSERT_EQ(units.byteOf(unit + 1), static_cast<std::int32_t>(at));
            unit += 2;
        } else {
            ASSERT_EQ(units.units()[unit], c);
            unit += 1;
        }
        at += length;
    }
    EXPECT_EQ(units.unitCount(), unit);
    EXPECT_EQ(units.byteOf(unit), static_cast<std::int32_t>(text.size()));
    EXPECT_EQ(units.unitOf(static_cast<std::int32_t>(text.size())), unit);

    // Ill-formed bytes (a lone continuation, an overlong form, a surrogate,
    // a cut character) and a text too long are not copied.
    for (const std::string bad :
         {"a\x80z", "\xC0\xAF", "\xED\xA0\x80", "\xE4\xB8", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(units.take(text.substr(0, 100) + bad)) << bad;
    EXPECT_FALSE(units.take(std::string(WindowUnits::kLargest + 1, 'a')));
    EXPECT_TRUE(units.take(""));
    EXPECT_EQ(units.unitCount(), 0);
}

// The break rules read a short window as UTF-16 and a long one as UTF-8:
// every answer, at positions anywhere (inside characters too), is the same
// in a short window as in the whole line that holds it, and so are the
// pieces cut by every rule; every break is a cluster boundary as the
// cluster iterator finds it.
TEST(WindowUnits, ShortWindowsAnswerAsTheLineReadAsUtf8) {
    std::mt19937 random(17);
    for (unsigned seed : {1u, 4u, 9u}) {
        const std::string line = mixedLine(WindowUnits::kLargest + 60'000, seed);
        LineBreaker whole;
        whole.setWindow(wholeLine(line));
        LineBreaker part;
        for (int round = 0; round < 150; ++round) {
            const std::size_t start = *whole.nextBreak(random() % (line.size() - 20'000));
            const std::size_t size = 1'200 + random() % 12'000;
            part.setWindow({std::string_view(line).substr(start, size), start, true, false});
            const std::uint64_t zone = part.safeEnd() - start;
            for (int query = 0; query < 40; ++query) {
                const std::uint64_t after = start + random() % zone;
                const std::uint64_t atMost = after + random() % (start + zone - after + 1);
                const auto lastBreak = part.lastBreak(after, atMost);
                ASSERT_EQ(lastBreak, whole.lastBreak(after, atMost)) << after << ".." << atMost;
                // A break is a boundary of the cluster iterator itself.
                if (lastBreak) {
                    ASSERT_EQ(whole.lastCluster(*lastBreak - 1, *lastBreak), lastBreak);
                }
                ASSERT_EQ(part.lastCluster(after, atMost), whole.lastCluster(after, atMost))
                    << after << ".." << atMost;
                const auto nextBreak = part.nextBreak(after);
                if (nextBreak) {
                    ASSERT_EQ(nextBreak, whole.nextBreak(after)) << after;
                }
                const auto nextCluster = part.nextCluster(after);
                if (nextCluster) {
                    ASSERT_EQ(nextCluster, whole.nextCluster(after)) << after;
                }
                for (const BreakRule rule :
                     {BreakRule::words, BreakRule::characters, BreakRule::wordsThenCharacters}) {
                    const PieceEnd a = findPieceEnd(part, start, atMost, rule);
                    const PieceEnd b = findPieceEnd(whole, start, atMost, rule);
                    if (a.kind == PieceEnd::Kind::breakPoint || a.kind == PieceEnd::Kind::cluster) {
                        ASSERT_EQ(a.kind, b.kind) << start << ".." << atMost;
                        ASSERT_EQ(a.end, b.end) << start << ".." << atMost;
                        ASSERT_EQ(a.pastEdge, b.pastEdge) << start << ".." << atMost;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace leafwright
