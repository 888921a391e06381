// Plain ASCII is measured eight bytes a step, and tested for known
// characters by a few searches once only a few are unknown. Over generated
// tables (all alike, all alike but one, one to eight unknown, alike with
// one to eight unknown, alike but one of no width) and texts of
// printable ASCII among control characters, DEL and UTF-8 bytes, knownStart
// and allKnown give what a walk of one byte at a time gives.
#include "core/pdf/ascii_advances.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <string_view>

namespace leafwright {
namespace {

struct Table {
    AsciiAdvances fast;
    std::int32_t advances[0x80];
};

enum class Kind { alike, alikeButOne, someUnknown, alikeSomeUnknown, alikeOneZero };

Table generatedTable(std::mt19937& random, Kind kind) {
    Table table;
    const std::int32_t common = 1 + static_cast<std::int32_t>(random() % 700);
    for (int c = 0; c < 0x80; ++c)
        table.advances[c] = c < 0x20 || c == 0x7F ? AsciiAdvances::kUnknown
                            : kind == Kind::someUnknown
                                ? 1 + static_cast<std::int32_t>(random() % 700)
                                : common;
    if (kind == Kind::alikeButOne) table.advances[0x20 + random() % 0x5F] = common + 1;
    if (kind == Kind::alikeOneZero) table.advances[0x20 + random() % 0x5F] = 0;
    // One to eight unknown: on both sides of where allKnown and a table of
    // alike advances start to look for them one by one.
    if (kind == Kind::someUnknown || kind == Kind::alikeSomeUnknown)
        for (int k = 1 + static_cast<int>(random() % 8); k > 0; --k)
            table.advances[0x20 + random() % 0x5F] = AsciiAdvances::kUnknown;
    // A table learnt alike first, then told one advance again otherwise.
    if (kind == Kind::alikeButOne)
        for (int c = 0x20; c < 0x7F; ++c) table.fast.set(static_cast<char32_t>(c), common);
    for (int c = 0x20; c < 0x7F; ++c)
        if (table.advances[c] >= 0) table.fast.set(static_cast<char32_t>(c), table.advances[c]);
    return table;
}

// The start of text that fits in room from pen, one byte at a time; pen
// moves to its end.
std::size_t walkedStart(const Table& table, std::string_view text, std::int64_t room,
                        std::int64_t& pen) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::int32_t advance = byte < 0x80 ? table.advances[byte] : -1;
        if (advance < 0 || pen + advance > room) break;
        pen += advance;
        ++at;
    }
    return at;
}

std::string generatedText(std::mt19937& random) {
    std::string text;
    for (int n = static_cast<int>(random() % 90); n > 0; --n) {
        const unsigned pick = random() % 40;
        text += pick == 0   ? static_cast<char>(random() % 0x20)
                : pick == 1 ? '\x7F'
                : pick == 2 ? static_cast<char>(0x80 + random() % 0x80)
                            : static_cast<char>(0x20 + random() % 0x5F);
    }
    return text;
}

TEST(AsciiAdvances, ManyAtATimeAsOneAtATime) {
    std::mt19937 random(41);
    const Kind kinds[] = {Kind::alike, Kind::alikeButOne, Kind::someUnknown, Kind::alikeSomeUnknown,
                          Kind::alikeOneZero};
    for (int round = 0; round < 5000; ++round) {
        const Kind kind = kinds[round % 5];
        const Table table = generatedTable(random, kind);
        const std::string text = generatedText(random);
        const std::int64_t x = random() % 4 == 0 ? 0 : static_cast<std::int64_t>(random() % 5000);
        const std::int64_t room =
            random() % 5 == 0 ? INT64_MAX : static_cast<std::int64_t>(random() % 40'000);
        std::int64_t pen = x;
        const std::size_t expected = walkedStart(table, text, room, pen);
        std::int64_t measured = x;
        ASSERT_EQ(table.fast.knownStart(text, room, measured), expected)
            << "kind " << round % 5 << ", room " << room << ", x " << x << ": " << text;
        EXPECT_EQ(measured, pen);
        std::int64_t unbounded = 0;
        EXPECT_EQ(table.fast.allKnown(text),
                  walkedStart(table, text, INT64_MAX, unbounded) == text.size())
            << text;
    }
}

}  // namespace
}  // namespace leafwright
