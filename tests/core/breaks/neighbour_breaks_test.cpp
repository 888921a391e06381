#include "core/breaks/neighbour_breaks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "break_test_text.h"
#include "core/breaks/line_breaker.h"
#include "core/breaks/piece_end.h"

namespace leafwright {
namespace {

using namespace break_test;

// Characters of every neighbour class beside those the full rules treat
// otherwise: narrow and wide brackets, quotes, hyphens, small kana and the
// prolonged sound mark, ideographic and no-break spaces, Hangul (syllables
// and compatibility letters), marks, ZWJ, emoji with skin tones, flags,
// Thai, and digits with their separators.
const std::vector<std::string> kPieces = {
    "中",         "文",         "字", "㐀", "𠀋", "か",     "な",     "カ",         "ナ",
    "ぁ",         "ッ",         "ー", "々", "。", "、",     "，",     "．",         "」",
    "』",         "）",         "】", "「", "『", "（",     "【",     "！",         "？",
    "!",          "?",          " ",  " ",  "  ", "\u3000", "\u00A0", "\t",         "a",
    "b",          "Z",          "é",  "ж",  "ب",  "ש",      "1",      "9",          "٣",
    ",",          ".",          ":",  ";",  "-",  "/",      "%",      "$",          "(",
    ")",          "[",          "]",  "{",  "}",  "\"",     "'",      "“",          "”",
    "«",          "»",          "한", "국", "ㄱ", "\u0301", "\u200D", "\U0001F468", "\U0001F3FD",
    "\U0001F1EF", "\U0001F1F5", "ก",  "า",  "#",  "&",      "*",      "@",          "_",
    "~",
};

std::string randomText(std::mt19937& random, std::size_t pieces) {
    std::string text;
    for (std::size_t i = 0; i < pieces; ++i) {
        // Runs of CJK and of letters, so that long stretches are decided by
        // neighbours alone and others by the full rules.
        const std::size_t pick = random() % 4 == 0 ? random() % kPieces.size() : random() % 16;
        text += kPieces[pick];
    }
    return text;
}

// Every answer of a breaker that decides by neighbours is the one the full
// rules give, in whole lines and in windows with unknown edges, and so are
// the pieces cut by every rule.
TEST(NeighbourBreaks, AnswerAsTheFullRules) {
    std::mt19937 random(5);
    LineBreaker quick;
    LineBreaker full(false);
    for (int round = 0; round < 400; ++round) {
        const std::string text = round % 5 == 0 ? mixedLine(3'000, round) : randomText(random, 900);
        const bool startsAtBoundary = round % 3 != 1;
        const bool endsLine = round % 4 != 2;
        const BreakWindow window{text, 1'000, startsAtBoundary, endsLine};
        quick.setWindow(window);
        full.setWindow(window);
        ASSERT_EQ(quick.safeBegin(), full.safeBegin());
        ASSERT_EQ(quick.safeEnd(), full.safeEnd());
        if (quick.safeBegin() > quick.safeEnd()) continue;
        const std::uint64_t from = quick.safeBegin();
        const std::uint64_t zone = quick.safeEnd() - from + 1;
        for (int query = 0; query < 60; ++query) {
            const std::uint64_t after = from - (from > 0 ? 1 : 0) + random() % zone;
            const std::uint64_t atMost = after + random() % 200;
            ASSERT_EQ(quick.lastBreak(after, atMost), full.lastBreak(after, atMost))
                << text << " " << after << ".." << atMost;
            ASSERT_EQ(quick.lastCluster(after, atMost), full.lastCluster(after, atMost))
                << text << " " << after << ".." << atMost;
            ASSERT_EQ(quick.nextBreak(after), full.nextBreak(after)) << text << " " << after;
            ASSERT_EQ(quick.nextCluster(after), full.nextCluster(after)) << text << " " << after;
            for (const BreakRule rule :
                 {BreakRule::words, BreakRule::characters, BreakRule::wordsThenCharacters}) {
                const std::uint64_t pieceStart = std::max<std::uint64_t>(from, after);
                const std::uint64_t fitEnd = std::max(pieceStart, atMost);
                const PieceEnd a = findPieceEnd(quick, pieceStart, fitEnd, rule);
                const PieceEnd b = findPieceEnd(full, pieceStart, fitEnd, rule);
                ASSERT_EQ(a.kind, b.kind) << text << " " << pieceStart << ".." << fitEnd;
                ASSERT_EQ(a.end, b.end) << text << " " << pieceStart << ".." << fitEnd;
                ASSERT_EQ(a.pastEdge, b.pastEdge) << text << " " << pieceStart << ".." << fitEnd;
            }
        }
    }
}

// Every pair of printable ASCII characters, side by side and with one or
// three spaces between them, inside words, numbers, Hebrew and Chinese and
// after a bracket:
// the last break before each position is the full rules' one.
TEST(NeighbourBreaks, EveryAsciiPairAsTheFullRules) {
    LineBreaker quick;
    LineBreaker full(false);
    const std::vector<std::string> gaps = {"", " ", "   "};
    const std::vector<std::pair<std::string, std::string>> around = {
        {"word", "text"}, {"12", "34"}, {"(", ")"}, {"", ""}, {"\u05E9", "\u05E9"}, {"中", "文"}};
    for (char before = ' '; before < 0x7F; ++before) {
        for (char after = '!'; after < 0x7F; ++after) {
            for (const std::string& gap : gaps) {
                for (const auto& [left, right] : around) {
                    std::string text = left;
                    text.push_back(before);
                    text.append(gap);
                    text.push_back(after);
                    text.append(right);
                    const BreakWindow window{text, 0, true, true};
                    quick.setWindow(window);
                    full.setWindow(window);
                    for (std::uint64_t atMost = 1; atMost <= text.size(); ++atMost)
                        ASSERT_EQ(quick.lastBreak(0, atMost), full.lastBreak(0, atMost))
                            << '"' << text << "\" " << atMost;
                }
            }
        }
    }
}

// Each class answers as a reader of the script expects, and a character the
// neighbours cannot decide about is left to the full rules.
TEST(NeighbourBreaks, ClassesOfCommonCharacters) {
    using C = NeighbourClass;
    EXPECT_EQ(neighbourClassOf(U'中'), C::ideograph);
    EXPECT_EQ(neighbourClassOf(U'か'), C::ideograph);
    EXPECT_EQ(neighbourClassOf(U'。'), C::closing);
    EXPECT_EQ(neighbourClassOf(U'「'), C::opening);
    EXPECT_EQ(neighbourClassOf(U'('), C::other);   // narrow: "f(x)" holds
    EXPECT_EQ(neighbourClassOf(U'한'), C::other);  // Korean words stay whole
    EXPECT_EQ(neighbourClassOf(U'ㄱ'), C::other);
    EXPECT_EQ(neighbourClassOf(U'ぁ'), C::other);  // small kana differ by style
    EXPECT_EQ(neighbourClassOf(U'\u0301'), C::other);
    EXPECT_EQ(neighbourClassOf(U'ب'), C::letter);
    EXPECT_EQ(neighbourClassOf(U','), C::infix);
    EXPECT_EQ(neighbourClassOf(U'-'), C::hyphen);
    EXPECT_EQ(neighbourBreak(C::infix, C::space, C::letter), NeighbourBreak::breaks);
    EXPECT_EQ(neighbourBreak(C::other, C::letter, C::infix), NeighbourBreak::joins);
    EXPECT_EQ(neighbourBreak(C::other, C::infix, C::letter), NeighbourBreak::joins);
    EXPECT_EQ(neighbourBreak(C::other, C::slash, C::letter), NeighbourBreak::breaks);
    EXPECT_EQ(neighbourBreak(C::other, C::hyphen, C::letter), NeighbourBreak::unknown);
    EXPECT_EQ(neighbourBreak(C::other, C::infix, C::digit), NeighbourBreak::unknown);
    EXPECT_EQ(neighbourClassOf(0x110000), C::other);
    EXPECT_EQ(neighbourBreak(C::other, C::ideograph, C::closing), NeighbourBreak::joins);
    EXPECT_EQ(neighbourBreak(C::other, C::opening, C::ideograph), NeighbourBreak::joins);
    EXPECT_EQ(neighbourBreak(C::other, C::closing, C::ideograph), NeighbourBreak::breaks);
    EXPECT_EQ(neighbourBreak(C::opening, C::space, C::letter), NeighbourBreak::joins);
    EXPECT_EQ(neighbourBreak(C::letter, C::space, C::letter), NeighbourBreak::breaks);
    EXPECT_EQ(neighbourBreak(C::other, C::space, C::letter), NeighbourBreak::unknown);
    EXPECT_EQ(neighbourBreak(C::other, C::letter, C::digit), NeighbourBreak::joins);
}

}  // namespace
}  // namespace leafwright
