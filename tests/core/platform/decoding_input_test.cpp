#include "core/platform/decoding_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/encoding/iconv_converter.h"
#include "core/text/unicode_units.h"
#include "core/text/utf8_repair.h"
#include "support/encoded_text.h"

namespace leafwright {
namespace {

// What the encoder shows: shift states (no restart after a line feed),
// the line feed's bytes, and a byte-order mark written by the encoder
// itself (UTF-16 without a byte order), which a restart would take again.
TEST(IconvConverter, LearnsWhereItMayRestart) {
    struct Case {
        const char* name;
        bool restarts;
        std::string lineFeed;
    };
    const std::vector<Case> cases = {
        {"KOI8-R", true, "\n"},
        {"SHIFT_JIS", true, "\n"},
        {"GB18030", true, "\n"},
        {"UTF-16LE", true, std::string("\n\0", 2)},
        {"UTF-32BE", true, std::string("\0\0\0\n", 4)},
        {"ISO-2022-JP", false, ""},
        {"UTF-7", false, ""},
        {"UTF-16", false, ""},
        {"IBM037", true, "\x25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto converter = iconvConverter(c.name);
        ASSERT_NE(converter, nullptr);
        EXPECT_EQ(converter->restartsAfterLineFeeds(), c.restarts);
        if (c.restarts) {
            EXPECT_EQ(converter->lineFeed(), c.lineFeed);
        }
    }
    EXPECT_EQ(iconvConverter("NO-SUCH-ENCODING-9"), nullptr);
    EXPECT_EQ(iconvConverter(""), nullptr);
}

// Lines of random length made of the characters given.
std::string randomText(const std::vector<std::string>& characters, std::size_t bytes,
                       std::mt19937& random) {
    std::string text;
    std::uniform_int_distribution<std::size_t> pick(0, characters.size() - 1), length(0, 200);
    while (text.size() < bytes) {
        for (std::size_t n = length(random); n > 0; --n) text += characters[pick(random)];
        text += '\n';
    }
    return text;
}

// Reads a file held in memory.
DecodingInput::ReadAt readingOf(const std::string& bytes) {
    return [&bytes](std::uint64_t offset, char* into, std::size_t size) {
        if (offset >= bytes.size()) return std::size_t{0};
        const std::size_t count = std::min<std::size_t>(size, bytes.size() - offset);
        std::memcpy(into, bytes.data() + offset, count);
        return count;
    };
}

// Reads up to `count` bytes from where the input stands.
std::string readUpTo(DecodingInput& input, std::size_t count) {
    std::string out(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        const std::size_t piece = input.read(out.data() + got, count - got);
        if (piece == 0) break;
        got += piece;
    }
    out.resize(got);
    return out;
}

// ISO-2022-JP whose two-byte mode goes on across line feeds (as iconv reads
// it), so that no line start is a place to start reading afresh.
std::string shiftedAcrossLines(std::size_t bytes, std::mt19937& random) {
    std::string text;
    bool twoBytes = false;
    std::uniform_int_distribution<int> coin(0, 1), count(0, 30), row(0x30, 0x4E), cell(0x21, 0x7E);
    while (text.size() < bytes) {
        if (coin(random) != 0) {
            if (!twoBytes) text += "\x1B$B";
            twoBytes = true;
            for (int n = count(random); n > 0; --n) {
                text += static_cast<char>(row(random));
                text += static_cast<char>(cell(random));
            }
        } else {
            if (twoBytes) text += "\x1B(B";
            twoBytes = false;
            for (int n = count(random); n > 0; --n) text += static_cast<char>('a' + n % 26);
        }
        text += '\n';
    }
    return text + (twoBytes ? "\x1B(B" : "");
}

// Wherever a reading goes, forward or back, by any number of bytes (inside a
// character too), it reads what a reading from the start would, with
// restart points close together or, for shift states, none.
TEST(DecodingInput, SeeksAnywhereAndReadsWhatAReadingFromTheStartWould) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    const std::vector<std::string> latin = {"a", "b", "Z", " ", "1", ",", "\t"};
    std::vector<std::string> japanese = {"日", "本", "語", "の", "テ", "キ", "ス", "ト", "。"};
    japanese.insert(japanese.end(), latin.begin(), latin.end());
    std::vector<std::string> wide = japanese;
    wide.insert(wide.end(), {"Ж", "я", "😀", "é", "€"});
    std::mt19937 random(2024);
    struct Case {
        std::string encoding, bytes, text;
    };
    std::vector<Case> cases;
    for (const char* encoding : {"UTF-16LE", "UTF-32BE", "GB18030", "UTF-7"}) {
        const std::string text = randomText(wide, 150 << 10, random);
        cases.push_back({encoding, testing::encodedAs(text, encoding), text});
    }
    for (const char* encoding : {"ISO-2022-JP", "SHIFT_JIS"}) {
        const std::string text = randomText(japanese, 150 << 10, random);
        cases.push_back({encoding, testing::encodedAs(text, encoding), text});
    }
    const std::string shifted = shiftedAcrossLines(150 << 10, random);
    const std::string native = randomText(wide, 150 << 10, random);
    cases.push_back({"UTF-16BE native", testing::encodedAs(native, "UTF-16BE"), native});
    cases.push_back({"ISO-2022-JP", shifted, testing::decodedFrom(shifted, "ISO-2022-JP")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoding);
        ASSERT_FALSE(c.bytes.empty());
        const std::string& bytes = c.bytes;
        const std::string& text = c.text;
        const bool isNative = c.encoding.ends_with(" native");
        DecodingInput input(
            isNative ? unicodeUnitsConverter(c.encoding.substr(0, 8)) : iconvConverter(c.encoding),
            0, readingOf(bytes), 4096);
        ASSERT_EQ(readUpTo(input, text.size() + 1), text);
        std::uniform_int_distribution<std::size_t> offsetOf(0, text.size() + 8), sizeOf(1, 20000);
        for (int i = 0; i < 200; ++i) {
            const std::size_t offset = offsetOf(random), size = sizeOf(random);
            input.seek(offset);
            const std::string expected = offset < text.size() ? text.substr(offset, size) : "";
            ASSERT_EQ(readUpTo(input, size), expected) << "at " << offset;
        }
        EXPECT_EQ(input.invalidSequences(), 0u);
    }
}

// Invalid sequences counted once however often the text is read again, from
// a restart point or from the start.
TEST(DecodingInput, CountsInvalidSequencesOnceAcrossReadings) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "line \xFF of " + std::to_string(i) + " \xC3\n";
    DecodingInput input(std::make_unique<Utf8Repair>(), 0, readingOf(bytes), 1000);
    const std::string text = readUpTo(input, bytes.size() * 2);
    EXPECT_EQ(input.invalidSequences(), 40000u);
    for (std::uint64_t offset : {0ul, 5000ul, 17ul, text.size() / 2, 3ul}) {
        input.seek(offset);
        EXPECT_EQ(readUpTo(input, 3000), text.substr(offset, 3000));
    }
    EXPECT_EQ(input.invalidSequences(), 40000u);
    input.seek(0);
    EXPECT_EQ(readUpTo(input, bytes.size() * 2), text);
    EXPECT_EQ(input.invalidSequences(), 40000u);
}

// The program's own UTF-16 and UTF-32 converters read any bytes as iconv
// does, invalid ones included: unpaired surrogates in every order, units
// beyond U+10FFFF, a unit cut short at the end.
TEST(UnicodeUnits, ReadsAnyBytesAsIconvDoes) {
    std::mt19937 random(16);
    // Units of each kind, as numbers; written in the byte order asked for.
    const std::vector<std::uint32_t> kinds = {0x41,   0x0A,    0xE9,     0x416,    0x65E5,
                                              0xD83D, 0xDE00,  0xDBFF,   0xDC00,   0xFFFF,
                                              0xFEFF, 0x10000, 0x10FFFF, 0x110000, 0xFFFFFFFF};
    std::uniform_int_distribution<std::size_t> pick(0, kinds.size() - 1);
    for (const char* encoding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        SCOPED_TRACE(encoding);
        const std::size_t size = encoding[4] == '1' ? 2 : 4;
        const bool big = encoding[6] == 'B';
        for (int round = 0; round < 20; ++round) {
            std::string bytes;
            for (int i = 0; i < 3000; ++i) {
                std::uint32_t unit = kinds[pick(random)];
                if (size == 2) unit &= 0xFFFF;
                for (std::size_t k = 0; k < size; ++k) {
                    const std::size_t shift = 8 * (big ? size - 1 - k : k);
                    bytes += static_cast<char>((unit >> shift) & 0xFF);
                }
            }
            bytes.resize(bytes.size() - round % size);  // a unit cut short
            DecodingInput ours(unicodeUnitsConverter(encoding), 0, readingOf(bytes), 997);
            DecodingInput theirs(iconvConverter(encoding), 0, readingOf(bytes), 997);
            const std::string text = readUpTo(theirs, bytes.size() * 2);
            ASSERT_EQ(readUpTo(ours, bytes.size() * 2), text) << "round " << round;
            EXPECT_EQ(ours.invalidSequences(), theirs.invalidSequences());
            EXPECT_GT(ours.invalidSequences(), 0u);
        }
    }
}

}  // namespace
}  // namespace leafwright
