#include "core/plustools/unspool_filter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/text/mac_roman_decode.h"
#include "core/text/mac_roman_table.h"

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

TEST(UnspoolFilter, AllStringsOfALineInsideTextObjectsAreJoined) {
    EXPECT_EQ(filterAll({"(before) Tj", "/Title (info)"}), "");
    EXPECT_EQ(filterAll({"BT", "(a) Tj (b) Tj"}), "ab\r\n");
    EXPECT_EQ(filterAll({"BT", "[(Hel) 120 (lo)] TJ"}), "Hello\r\n");
    EXPECT_EQ(filterAll({"BT", "(a)'(b)\"[(c)(d)]TJ"}), "abcd\r\n");
    // Unescaped parentheses inside a string are balanced, as PDF reads them.
    EXPECT_EQ(filterAll({"BT", "(a (b) c) Tj"}), "a (b) c\r\n");
    EXPECT_EQ(filterAll({"BT", "() Tj", "( ) Tj"}), "\r\n \r\n");
    // Only strings begun inside a text object count.
    EXPECT_EQ(filterAll({"(a) Tj BT (b) Tj ET (c) Tj"}), "b\r\n");
}

TEST(UnspoolFilter, StringsBeforeBtOnItsLineAreNotTaken) {
    UnspoolFilter filter;
    EXPECT_EQ(filterAll({"(before) BT (after) Tj"}, filter), "after\r\n");
    // A string left open ends at its ")" even on a line holding "BT".
    UnspoolFilter open;
    EXPECT_EQ(filterAll({"BT", "(start", "x) BT"}, open), "startx\r\n");
    EXPECT_EQ(open.openStrings(), 0);
    EXPECT_EQ(open.textDepth(), 2);
    EXPECT_EQ(filterAll({"BT", "(start", "text before BT"}), "starttext before BT");
}

TEST(UnspoolFilter, EtAndBtInsideStringsAndNamesAreText) {
    // GET is a word of the text: the text object goes on.
    UnspoolFilter get;
    EXPECT_EQ(filterAll({"BT", "(GET it)'", "(kept)'", "ET", "BT", "(again)'"}, get),
              "GET it\r\nkept\r\nagain\r\n");
    EXPECT_EQ(get.textDepth(), 1);

    // DEBT opens nothing: strings outside the text object stay out.
    UnspoolFilter debt;
    EXPECT_EQ(filterAll({"BT", "(DEBT)'", "ET", "/Title (My title)", "/BT (x) Tj"}, debt),
              "DEBT\r\n");
    EXPECT_EQ(debt.textDepth(), 0);
    EXPECT_EQ(filterAll({"(DEBT) (x) Tj"}), "");
    // Nor do words that hold the capitals, comments and names.
    EXPECT_EQ(filterAll({"WHETHER BETWEEN (x) Tj", "% BT", "(y) Tj", "/BT 1 Tf (z) Tj"}), "");

    // A line holding both: strings between them are taken.
    UnspoolFilter both;
    EXPECT_EQ(filterAll({"BT /F1 12 Tf (x) Tj ET", "(y) Tj"}, both), "x\r\n");
    EXPECT_EQ(both.textDepth(), 0);

    // Depth may fall below zero and then needs as many BT to recover.
    UnspoolFilter negative;
    EXPECT_EQ(filterAll({"ET", "ET", "BT", "(x)'", "BT", "(y)'", "BT", "(z)'"}, negative), "z\r\n");
    EXPECT_EQ(negative.textDepth(), 1);
}

TEST(UnspoolFilter, StringContinuedFromEarlierLinesJoinsTheLineOfItsEnd) {
    UnspoolFilter filter;
    EXPECT_EQ(filterAll({"BT", "(head", "tail) Tj (next) Tj"}, filter), "headtailnext\r\n");
    EXPECT_EQ(filter.openStrings(), 0);
    // A string still open at a line's end carries the line on.
    EXPECT_EQ(filterAll({"BT", "(a) Tj (b", "c) Tj (d)'"}), "abcd\r\n");
    // A ")" with no string open writes nothing.
    EXPECT_EQ(filterAll({"BT", "stray) Tj"}), "");
}

TEST(UnspoolFilter, StringLeftOpenTakesTheOperatorsAsText) {
    UnspoolFilter filter;
    const std::string out = filterAll(
        {"BT", "(open", "ET", "(outside", "BT", "/F1 12 Tf", "(x) Tj", "end) Tj", "after"}, filter);
    // Inside a string "ET" and "BT" are text; nested parentheses balance.
    EXPECT_EQ(out, "openET(outsideBT/F1 12 Tf(x) Tjend) Tjafter");
    EXPECT_EQ(filter.openStrings(), 1);
    EXPECT_EQ(filter.textDepth(), 1);
}

TEST(UnspoolFilter, EscapesAsPdfReadsThem) {
    // A doubled backslash gives one, escaped parentheses give bare ones;
    // other escapes stay as written.
    EXPECT_EQ(filterAll({"BT", R"((a\\b\nc\101 \(d\)))"}), "a\\b\\nc\\101 (d)\r\n");
    EXPECT_EQ(filterAll({"BT", R"((a\\\(b) Tj)"}), "a\\(b\r\n");
    // After a doubled backslash a parenthesis is a bare one again.
    EXPECT_EQ(filterAll({"BT", R"((a\\(b) Tj))"}), "a\\(b) Tj\r\n");
    EXPECT_EQ(filterAll({"BT", "(end\\)"}), "end)");
    // A backslash at the end of a line stays.
    EXPECT_EQ(filterAll({"BT", "(a\\", "b)'"}), "a\\b\r\n");
    // The marker texts of the older filter come back as typed.
    EXPECT_EQ(filterAll({"BT", "(a #$% b #$& c)"}), "a #$% b #$& c\r\n");
    EXPECT_EQ(filterAll({"BT", "(#$#$%#$)"}), "#$#$%#$\r\n");
    EXPECT_EQ(filterAll({"BT", "(ab#$", "%cd)"}), "ab#$%cd\r\n");
}

TEST(UnspoolFilter, HexStringsAreTakenByteForByte) {
    EXPECT_EQ(filterAll({"BT", "<48 656c6C6f> Tj <8E>'", "<414>Tj"}), "Hello\u00E9\r\nA@\r\n");
    // Over two lines, and next to a dictionary, which is no string.
    EXPECT_EQ(filterAll({"BT << /A 1 >> <41", "42> Tj", "<", "43>'"}), "AB\r\nC\r\n");
    EXPECT_EQ(filterAll({"<41> Tj"}), "");
    // A line feed in a string is written as a CR LF line end.
    EXPECT_EQ(filterAll({"BT", "<410A42 0D0A43> Tj"}), "A\r\nB\r\nC\r\n");
}

TEST(UnspoolFilter, HighBytesAreDecodedFromMacRoman) {
    EXPECT_EQ(filterAll({"BT", "(caf\x8E \xDB \xA5 \xD0 \xDE)'"}),
              "caf\u00E9 \u00A4 \u2022 \u2013 \uFB01\r\n");
    // Control bytes and CR below 0x80 pass unchanged.
    EXPECT_EQ(filterAll({"BT", std::string("(a\tb\rc\0d)'", 10)}),
              std::string("a\tb\rc\0d\r\n", 9));
}

TEST(UnspoolFilter, ReadsEveryPositionOfALongString) {
    // Plain text is copied as runs; what must be read otherwise is found
    // wherever it stands, also when the line comes in pieces.
    const std::string plain(20, 'x');
    auto placed = [&](std::size_t at, const std::string& what) {
        return plain.substr(0, at) + what + plain.substr(at);
    };
    auto extracted = [](const std::string& text, std::size_t pieceSize) {
        UnspoolFilter filter;
        std::string out;
        filter.filterLine("BT", out);
        const std::string line = "(" + text + ")'";
        for (std::size_t at = 0; at < line.size(); at += pieceSize)
            filter.filterPiece(std::string_view(line).substr(at, pieceSize), out);
        filter.endLine(out);
        return out;
    };
    for (std::size_t pieceSize : {1, 3, 64}) {
        for (std::size_t at = 0; at <= plain.size(); ++at) {
            EXPECT_EQ(extracted(placed(at, "\\)"), pieceSize), placed(at, ")") + "\r\n") << at;
            EXPECT_EQ(extracted(placed(at, "\\\\"), pieceSize), placed(at, "\\") + "\r\n") << at;
            EXPECT_EQ(extracted(placed(at, "\x8E"), pieceSize), placed(at, "\u00E9") + "\r\n");
            EXPECT_EQ(extracted(placed(at, "#$%"), pieceSize), placed(at, "#$%") + "\r\n") << at;
        }
    }
}

TEST(MacRoman, UpperHalfIsOneToOneAndKeepsAscii) {
    std::set<char32_t> seen;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char32_t code = macRomanCharacter(static_cast<unsigned char>(byte));
        EXPECT_GE(static_cast<std::uint32_t>(code), 0xA0u) << byte;
        EXPECT_TRUE(seen.insert(code).second) << "byte " << byte << " repeats a code point";
    }
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanCharacter('A')), static_cast<std::uint32_t>(U'A'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanCharacter(0x80)),
              static_cast<std::uint32_t>(U'\u00C4'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanCharacter(0xCA)),
              static_cast<std::uint32_t>(U'\u00A0'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanCharacter(0xDB)),
              static_cast<std::uint32_t>(U'\u00A4'));
    EXPECT_EQ(static_cast<std::uint32_t>(macRomanCharacter(0xFF)),
              static_cast<std::uint32_t>(U'\u02C7'));
    std::string out;
    appendMacRomanAsUtf8(0xA7, out);  // two UTF-8 bytes
    appendMacRomanAsUtf8(0xAA, out);  // three
    EXPECT_EQ(out, "\u00DF\u2122");
}

}  // namespace
}  // namespace leafwright
