// Plain ASCII is measured eight bytes a step, and tested for known
// characters by a few searches once only a few are unknown. Over generated
// tables (all alike, all known but one differing, some unknown) and texts of
// printable ASCII among control characters, DEL and UTF-8 bytes, knownStart
// and allKnown give what a walk of one byte at a time gives.
#include "core/pdf/ascii_advances.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace leafwright {
namespace {

struct Table {
    AsciiAdvances fast;
    std::int32_t advances[0x80];
};

Table generatedTable(std::mt19937& random, int kind) {
    Table table;
    const std::int32_t common = 1 + static_cast<std::int32_t>(random() % 700);
    for (int c = 0; c < 0x80; ++c) table.advances[c] = AsciiAdvances::kUnknown;
    for (int c = 0x20; c < 0x7F; ++c) {
        if (kind == 2 && random() % 10 == 0) continue;  // left unknown
        table.advances[c] = kind == 0 ? common : 1 + static_cast<std::int32_t>(random() % 700);
    }
    if (kind == 1) {  // all alike but one
        for (int c = 0x20; c < 0x7F; ++c) table.advances[c] = common;
        table.advances[0x20 + random() % 0x5F] = common + 1;
    }
    for (int c = 0x20; c < 0x7F; ++c)
        if (table.advances[c] >= 0) table.fast.set(static_cast<char32_t>(c), table.advances[c]);
    return table;
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
    for (int round = 0; round < 3000; ++round) {
        const Table table = generatedTable(random, round % 3);
        const std::string text = generatedText(random);
        const std::int64_t x = random() % 4 == 0 ? 0 : static_cast<std::int64_t>(random() % 5000);
        const std::int64_t room =
            random() % 5 == 0 ? INT64_MAX : static_cast<std::int64_t>(random() % 40'000);
        std::size_t expected = 0;
        std::int64_t pen = x;
        while (expected < text.size()) {
            const auto byte = static_cast<unsigned char>(text[expected]);
            const std::int32_t advance = byte < 0x80 ? table.advances[byte] : -1;
            if (advance < 0 || pen + advance > room) break;
            pen += advance;
            ++expected;
        }
        std::int64_t measured = x;
        ASSERT_EQ(table.fast.knownStart(text, room, measured), expected)
            << "kind " << round % 3 << ", room " << room << ", x " << x << ": " << text;
        EXPECT_EQ(measured, pen);
        std::size_t known = 0;
        while (known < text.size() && static_cast<unsigned char>(text[known]) < 0x80 &&
               table.advances[static_cast<unsigned char>(text[known])] >= 0)
            ++known;
        EXPECT_EQ(table.fast.allKnown(text), known == text.size()) << text;
    }
}

}  // namespace
}  // namespace leafwright
