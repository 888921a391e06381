#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/plustools/former_unspool_filter.h"
#include "core/plustools/reference_documents.h"
#include "core/plustools/unspool_filter.h"
#include "core/text/mac_roman_decode.h"

namespace leafwright {
namespace {

// Byte by byte, the plain way: markers become parentheses, "#" stays, bytes
// from 0x80 up become UTF-8.
std::string referenceUnmasked(std::string_view piece) {
    std::string out;
    for (std::size_t at = 0; at < piece.size();) {
        if (piece.substr(at, 3) == "#$%" || piece.substr(at, 3) == "#$&") {
            out += piece[at + 2] == '%' ? '(' : ')';
            at += 3;
        } else {
            auto byte = static_cast<unsigned char>(piece[at++]);
            if (byte < 0x80) {
                out += static_cast<char>(byte);
            } else {
                out += macRomanAsUtf8(byte);
            }
        }
    }
    return out;
}

// The reference filter's fast unmasking agrees with the plain reading, so
// that the comparison below stands on solid ground.
TEST(UnmaskedText, MatchesTheByteByByteReadingOnRandomPieces) {
    const std::string parts[] = {"x",    "plain text ", "#",    "#$",   "#$%",  "#$&",      "$%",
                                 "\x8E", "\xA3",        "\xF0", "\xA9", "\xFF", "12345678", "\\"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string piece;
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) piece += parts[random() % std::size(parts)];
        std::string out = "kept:";
        former::appendUnmaskedText(piece, out);
        ASSERT_EQ(out, "kept:" + referenceUnmasked(piece)) << piece;
    }
}

// "BT" and "ET" count only as operators: a run of regular characters that is
// exactly one of them, not after "/", outside strings and comments. Each one
// counts where it stands, also several times on a line.
TEST(UnspoolFilter, TextOperatorsAreWholeTokensOnly) {
    struct Case {
        std::string line;
        std::int64_t depthChange;
    };
    const Case cases[] = {{"BT", 1},       {"ET", -1},     {"BTET", 0},         {"ETBT", 0},
                          {"T", 0},        {"TT BT", 1},   {"xBTx", 0},         {"BT BT ET ET", 0},
                          {"ET ET", -2},   {"BBT", 0},     {"EET", 0},          {"BE T", 0},
                          {"(a)' ET", -1}, {"TBTTETT", 0}, {"bt et", 0},        {"", 0},
                          {"/BT /ET", 0},  {"(BT ET)", 0}, {"% BT", 0},         {"<42 54>", 0},
                          {"BT(x)ET", 0},  {"[/BT]BT", 1}, {"q BT\tET\fBT", 1}, {"GET DEBT", 0},
                          {"<<BT>>ET", 0}, {"{BT}", 1},    {"BT%ET", 1},        {"(a\\)BT", 0}};
    for (const Case& c : cases) {
        UnspoolFilter filter;
        std::string out;
        filter.filterLine(c.line, out);
        EXPECT_EQ(filter.textDepth(), c.depthChange) << c.line;
    }
}

// On documents that use none of the newer readings, the filter writes
// exactly what it wrote before, however the lines are cut into pieces.
TEST(UnspoolFilter, MatchesTodaysFilterOnDocumentsWithoutNewerReadings) {
    std::mt19937 random(2024);
    testing::Choose choose = [&](std::uint32_t count) {
        return static_cast<std::uint32_t>(random() % count);
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> lines = testing::referenceDocument(choose, 1 + random() % 30);
        former::UnspoolFilter before;
        UnspoolFilter now;
        std::string expected, out, document;
        for (const std::string& line : lines) {
            document += line + "\n";
            before.filterLine(line, expected);
            // The line in pieces of random sizes.
            for (std::size_t at = 0; at < line.size();) {
                std::size_t size = 1 + random() % 6;
                now.filterPiece(std::string_view(line).substr(at, size), out);
                at += size;
            }
            now.endLine(out);
            ASSERT_EQ(out, expected) << document;
            ASSERT_EQ(now.textDepth(), before.textDepth()) << document;
            ASSERT_EQ(now.openStrings(), before.openStrings()) << document;
        }
    }
}

}  // namespace
}  // namespace leafwright
