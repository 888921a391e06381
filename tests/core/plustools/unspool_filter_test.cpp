#include "core/plustools/unspool_filter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/text/mac_roman_decode.h"

namespace leafwright {
namespace {

// What one filter writes for the lines, in order.
std::string filterAll(const std::vector<std::string>& lines, UnspoolFilter& filter) {
    std::string out;
    for (const std::string& line : lines) filter.filterLine(line, out);
    return out;
}

std::string filterAll(const std::vector<std::string>& lines) {
    UnspoolFilter filter;
    return filterAll(lines, filter);
}

TEST(UnspoolFilter, WorkedExampleLineByLine) {
    struct Step {
        std::string line;
        std::int64_t depth;
        std::int64_t open;
        std::string written;
    };
    const std::vector<Step> steps = {
        {"BT", 1, 0, ""},
        {"/F1 14 Tf", 1, 0, ""},
        {"(Hello \\(world\\))'", 1, 0, "Hello (world)\r\n"},
        {"(first part", 1, 1, "first part"},
        {"second part)'", 1, 0, "second part\r\n"},
        {"ET", 0, 0, ""},
        {"(outside) Tj", 0, 0, ""},
    };
    UnspoolFilter filter;
    for (const Step& step : steps) {
        std::string out;
        filter.filterLine(step.line, out);
        EXPECT_EQ(out, step.written) << step.line;
        EXPECT_EQ(filter.textDepth(), step.depth) << step.line;
        EXPECT_EQ(filter.openStrings(), step.open) << step.line;
    }
}

TEST(UnspoolFilter, OnlyTheFirstStringOfALineInsideTextObjects) {
    EXPECT_EQ(filterAll({"(before) Tj", "/Title (info)"}), "");
    EXPECT_EQ(filterAll({"BT", "(a) Tj (b) Tj"}), "a\r\n");
    EXPECT_EQ(filterAll({"BT", "[(Hel) 120 (lo)] TJ"}), "Hel\r\n");
    // Unescaped nested parentheses: the first ")" ends the string.
    EXPECT_EQ(filterAll({"BT", "(a (b) c) Tj"}), "a (b\r\n");
    EXPECT_EQ(filterAll({"BT", "() Tj", "( ) Tj"}), "\r\n \r\n");
}

TEST(UnspoolFilter, BtOnALineMovesTheSearchStartPastItsB) {
    UnspoolFilter filter;
    EXPECT_EQ(filterAll({"(before) BT (after) Tj"}, filter), "after\r\n");
    // With a string open, the "all of the line" rows take it from its start.
    UnspoolFilter open;
    EXPECT_EQ(filterAll({"BT", "(start", "x) BT"}, open), "startx) BT");
    EXPECT_EQ(open.openStrings(), 1);  // the ")" before the BT is not seen
    EXPECT_EQ(open.textDepth(), 2);
    EXPECT_EQ(filterAll({"BT", "(start", "text before BT"}), "starttext before BT");
}

TEST(UnspoolFilter, EtAndBtInsideStringsCountAsOperators) {
    // GET closes the text object: the rest of it gives nothing.
    UnspoolFilter get;
    EXPECT_EQ(filterAll({"BT", "(GET it)'", "(lost)'", "ET", "BT", "(again)'"}, get), "GET it\r\n");
    EXPECT_EQ(get.textDepth(), 0);  // the object's own ET took it to -1

    // DEBT opens one more: strings outside the text object come out too.
    // Its own string is not seen: the search starts after the B of "BT".
    UnspoolFilter debt;
    EXPECT_EQ(filterAll({"BT", "(DEBT)'", "ET", "/Title (My title)"}, debt), "My title\r\n");
    EXPECT_EQ(debt.textDepth(), 1);
    // From after its B, the ")" of DEBT comes before the next "(".
    EXPECT_EQ(filterAll({"(DEBT) (x) Tj"}), "\r\n");

    // A line holding both is examined with the raised depth, then lowered.
    UnspoolFilter both;
    EXPECT_EQ(filterAll({"BT /F1 12 Tf (x) Tj ET", "(y) Tj"}, both), "x\r\n");
    EXPECT_EQ(both.textDepth(), 0);

    // Depth may fall below zero and then needs as many BT lines to recover.
    UnspoolFilter negative;
    EXPECT_EQ(filterAll({"ET", "ET", "BT", "(x)'", "BT", "(y)'", "BT", "(z)'"}, negative), "z\r\n");
    EXPECT_EQ(negative.textDepth(), 1);
}

TEST(UnspoolFilter, CloseBeforeOpenWritesOnlyALineBreak) {
    UnspoolFilter filter;
    EXPECT_EQ(filterAll({"BT", "(head", "tail) Tj (next) Tj"}, filter), "head\r\n");
    EXPECT_EQ(filter.openStrings(), 1);
    // A ")" with no string open writes nothing.
    EXPECT_EQ(filterAll({"BT", "stray) Tj"}), "");
}

TEST(UnspoolFilter, StringLeftOpenAcrossEt) {
    UnspoolFilter filter;
    const std::string out = filterAll(
        {"BT", "(open", "ET", "(outside", "BT", "/F1 12 Tf", "(x) Tj", "end) Tj", "after"}, filter);
    // "ET" is written whole before the depth falls; outside a text object
    // nothing is written and the count keeps its value; back inside, lines
    // without parentheses are written whole until one closes the string.
    EXPECT_EQ(out, "openETBT/F1 12 Tfx\r\nend\r\n");
    EXPECT_EQ(filter.openStrings(), 0);
    EXPECT_EQ(filter.textDepth(), 1);
}

TEST(UnspoolFilter, EscapesAndMarkers) {
    // Only escaped parentheses are decoded; other escapes stay as written.
    EXPECT_EQ(filterAll({"BT", R"((a\\b\nc\101 \(d\)))"}), "a\\\\b\\nc\\101 (d)\r\n");
    // A backslash before an escaped parenthesis stays, the pair is decoded.
    EXPECT_EQ(filterAll({"BT", R"((a\\(b) Tj)"}), "a\\(b\r\n");
    EXPECT_EQ(filterAll({"BT", "(end\\)"}), "end)");
    // The marker texts in the source come out as parentheses...
    EXPECT_EQ(filterAll({"BT", "(a #$% b #$& c)"}), "a ( b ) c\r\n");
    EXPECT_EQ(filterAll({"BT", "(#$#$%#$)"}), "#$(#$\r\n");
    // ...but only within one line's piece of text.
    EXPECT_EQ(filterAll({"BT", "(ab#$", "%cd)"}), "ab#$%cd\r\n");
}

TEST(UnspoolFilter, HighBytesAreDecodedFromMacRoman) {
    EXPECT_EQ(filterAll({"BT", "(caf\x8E \xDB \xA5 \xD0 \xDE)'"}),
              "caf\u00E9 \u00A4 \u2022 \u2013 \uFB01\r\n");
    // Control bytes and CR below 0x80 pass unchanged.
    EXPECT_EQ(filterAll({"BT", std::string("(a\tb\rc\0d)'", 10)}),
              std::string("a\tb\rc\0d\r\n", 9));
}

TEST(UnspoolFilter, RewritesAtEveryPositionOfALongPiece) {
    // Plain text is skipped several bytes at a time; what must be rewritten
    // is found wherever it stands.
    const std::string plain(20, 'x');
    auto placed = [&](std::size_t at, const std::string& what) {
        return plain.substr(0, at) + what + plain.substr(at);
    };
    auto unmasked = [](const std::string& piece) {
        std::string out;
        appendUnmaskedText(piece, out);
        return out;
    };
    for (std::size_t at = 0; at <= plain.size(); ++at) {
        EXPECT_EQ(unmasked(placed(at, "#$&")), placed(at, ")")) << at;
        EXPECT_EQ(unmasked(placed(at, "\x8E")), placed(at, "\u00E9")) << at;
        EXPECT_EQ(unmasked(placed(at, "#")), placed(at, "#")) << at;
    }
}

TEST(MacRoman, UpperHalfIsOneToOneAndKeepsAscii) {
    std::set<char32_t> seen;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char32_t code = macRomanToUnicode(static_cast<unsigned char>(byte));
        EXPECT_GE(static_cast<std::uint32_t>(code), 0xA0u) << byte;
        EXPECT_TRUE(seen.insert(code).second) << "byte " << byte << " repeats a code point";
    }
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanToUnicode('A')), static_cast<std::uint32_t>(U'A'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanToUnicode(0x80)),
              static_cast<std::uint32_t>(U'\u00C4'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanToUnicode(0xCA)),
              static_cast<std::uint32_t>(U'\u00A0'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanToUnicode(0xDB)),
              static_cast<std::uint32_t>(U'\u00A4'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanToUnicode(0xFF)),
              static_cast<std::uint32_t>(U'\u02C7'));
    std::string out;
    appendMacRomanAsUtf8(0xA7, out);  // two UTF-8 bytes
    appendMacRomanAsUtf8(0xAA, out);  // three
    EXPECT_EQ(out, "\u00DF\u2122");
}

}  // namespace
}  // namespace leafwright
