#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/text/mac_roman_decode.h"
#include "core/plustools/unspool_filter.h"

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

TEST(UnmaskedText, MatchesTheByteByByteReadingOnRandomPieces) {
    const std::string parts[] = {"x",    "plain text ", "#",    "#$",   "#$%",  "#$&",      "$%",
                                 "\x8E", "\xA3",        "\xF0", "\xA9", "\xFF", "12345678", "\\"};
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string piece;
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) piece += parts[random() % std::size(parts)];
        std::string out = "kept:";
        appendUnmaskedText(piece, out);
        ASSERT_EQ(out, "kept:" + referenceUnmasked(piece)) << piece;
    }
}

// "BT" raises the depth and "ET" lowers it wherever they stand on a line,
// also several times over, next to each other or at the line's edges.
TEST(UnspoolFilter, TextOperatorsAreFoundAnywhereOnTheLine) {
    struct Case {
        std::string line;
        std::int64_t depthChange;
    };
    const Case cases[] = {{"BT", 1},       {"ET", -1},     {"BTET", 0},  {"ETBT", 0},
                          {"T", 0},        {"TT BT", 1},   {"xBTx", 1},  {"BT BT ET ET", 0},
                          {"ET ET", -1},   {"BBT", 1},     {"EET", -1},  {"BE T", 0},
                          {"(a)' ET", -1}, {"TBTTETT", 0}, {"bt et", 0}, {"", 0}};
    for (const Case& c : cases) {
        UnspoolFilter filter;
        std::string out;
        filter.filterLine(c.line, out);
        // A line with "BT" and "ET" is filtered with the raised depth and
        // ends where it began.
        std::int64_t expected =
            (c.line.find("BT") != std::string::npos) - (c.line.find("ET") != std::string::npos);
        EXPECT_EQ(filter.textDepth(), expected) << c.line;
        EXPECT_EQ(filter.textDepth(), c.depthChange) << c.line;
    }
}

}  // namespace
}  // namespace leafwright
