#include "core/breaks/piece_end.h"

#include <gtest/gtest.h>

#include "break_test_text.h"

namespace leafwright {
namespace {

using namespace break_test;
using Kind = PieceEnd::Kind;

constexpr BreakRule kRules[] = {BreakRule::words, BreakRule::characters,
                                BreakRule::wordsThenCharacters};

class PieceEndTest : public ::testing::Test {
  protected:
    PieceEnd pieceEnd(std::string_view line, std::uint64_t fitEnd, BreakRule rule,
                      std::uint64_t start = 0) {
        breaker.setWindow(wholeLine(line));
        return findPieceEnd(breaker, start, fitEnd, rule);
    }
    LineBreaker breaker;
};

TEST_F(PieceEndTest, WhiteSpaceAtABreakHangsAtTheEndOfTheFirstPiece) {
    const std::string line = "alpha beta \t gamma delta";
    const std::uint64_t gamma = line.find("gamma");
    for (const BreakRule rule : kRules) {
        for (const std::uint64_t fitEnd : {line.find(" \t") + 1, gamma}) {
            const PieceEnd piece = pieceEnd(line, fitEnd, rule);
            EXPECT_EQ(piece.end, gamma) << int(rule);
            EXPECT_FALSE(piece.pastEdge);
            EXPECT_EQ(breaker.hangingStart(piece.end), line.find(" \t"));
        }
        // Into the next word: words go back to its start.
        EXPECT_EQ(pieceEnd(line, gamma + 3, rule).end,
                  rule == BreakRule::characters ? gamma + 3 : gamma);
    }
}

TEST_F(PieceEndTest, AWordWiderThanTheLineIsBrokenOnlyWhenTheRuleAllows) {
    const std::string latin = "supercalifragilistic more";
    EXPECT_EQ(pieceEnd(latin, 5, BreakRule::words).end, latin.find("more"));
    EXPECT_TRUE(pieceEnd(latin, 5, BreakRule::words).pastEdge);
    EXPECT_EQ(pieceEnd(latin, 5, BreakRule::wordsThenCharacters).end, 5u);
    EXPECT_EQ(pieceEnd(latin, 5, BreakRule::wordsThenCharacters).kind, Kind::cluster);

    // Korean words are broken between syllables only when one alone is
    // wider than the line.
    const std::string korean = "대한민국의 수도는";
    EXPECT_EQ(pieceEnd(korean, 6, BreakRule::wordsThenCharacters).end, 6u);
    EXPECT_EQ(pieceEnd(korean, 6, BreakRule::words).end, korean.find("수"));
    EXPECT_EQ(pieceEnd(korean, korean.find("수") + 3, BreakRule::wordsThenCharacters).end,
              korean.find("수"));

    // Chinese may not start a line with its full stop: the last character
    // goes along with it.
    const std::string chinese = "我们明天去北京。好";
    EXPECT_EQ(pieceEnd(chinese, chinese.find("。"), BreakRule::words).end, chinese.find("京"));

    // A cluster wider than the line still goes on it, alone.
    const std::string family = kSentences[10];
    const PieceEnd alone = pieceEnd(family, 0, BreakRule::characters);
    EXPECT_EQ(alone.end, family.find(' '));
    EXPECT_TRUE(alone.pastEdge);
}

TEST_F(PieceEndTest, WindowsTooShortSaySoAndTellHowToGoOn) {
    const std::string spaces = "word" + std::string(3'000, ' ') + "next";
    breaker.setWindow({std::string_view(spaces).substr(0, 2'000), 0, true, false});
    EXPECT_EQ(findPieceEnd(breaker, 0, 2'000, BreakRule::words).kind, Kind::needsLongerWindow);
    const PieceEnd hanging = findPieceEnd(breaker, 0, 10, BreakRule::words);
    EXPECT_EQ(hanging.kind, Kind::spaceRunsOn);
    EXPECT_EQ(hanging.end, breaker.safeEnd());
    breaker.setWindow({std::string_view(spaces).substr(1'000), 1'000, false, true});
    EXPECT_EQ(breaker.hangingEnd(hanging.end), spaces.find("next"));

    const std::string word = "a " + std::string(5'000, 'x') + " b";
    breaker.setWindow({std::string_view(word).substr(0, 4'000), 0, true, false});
    const PieceEnd runsOn = findPieceEnd(breaker, 2, 100, BreakRule::words);
    EXPECT_EQ(runsOn.kind, Kind::wordRunsOn);
    breaker.setWindow({std::string_view(word).substr(3'000), 3'000, false, true});
    EXPECT_EQ(breaker.nextBreak(runsOn.end), word.find(" b") + 1);
    EXPECT_THROW(findPieceEnd(breaker, 4'000, 3'999, BreakRule::words), std::invalid_argument);
}

// A layout's wrapping of a long line, `width` code points a row: through
// windows from the piece's start, or from well before it, the pieces are
// those of the whole line, each moves on, and none begins with white space
// or shows more than fits unless it says so.
TEST_F(PieceEndTest, WrappingWindowByWindowGivesThePiecesOfTheWholeLine) {
    const std::string line = mixedLine(60'000, 21);
    constexpr int kWidth = 40;
    constexpr std::size_t kWholeLine = ~std::size_t{0};
    const auto wrap = [&](BreakRule rule, std::size_t lead) {
        std::vector<std::uint64_t> ends;
        for (std::uint64_t start = 0;;) {
            std::uint64_t fitEnd = start;
            for (int i = 0; i < kWidth && fitEnd < line.size(); ++i) do
                    ++fitEnd;
                while (fitEnd < line.size() && (line[fitEnd] & 0xC0) == 0x80);
            if (fitEnd == line.size()) return ends;
            const bool whole = lead == kWholeLine;
            const std::uint64_t from = whole ? 0 : start - std::min<std::uint64_t>(start, lead);
            const std::uint64_t to = whole ? line.size() : std::min(line.size(), fitEnd + 3'000);
            breaker.setWindow({std::string_view(line).substr(from, to - from), from,
                               from == 0 || from == start, to == line.size()});
            const PieceEnd piece = findPieceEnd(breaker, start, fitEnd, rule);
            EXPECT_TRUE(piece.kind == Kind::breakPoint || piece.kind == Kind::cluster);
            if (piece.end <= start) return ends;
            std::uint64_t shown = piece.end;
            while (shown > start && (line[shown - 1] == ' ' || line[shown - 1] == '\t')) --shown;
            if (std::string_view(line).substr(start, shown - start).ends_with("\u3000")) shown -= 3;
            EXPECT_TRUE(shown <= fitEnd || piece.pastEdge) << start;
            // (A space that carries a mark is not white space.)
            EXPECT_TRUE((line[piece.end] != ' ' && line[piece.end] != '\t') ||
                        line.compare(piece.end + 1, 2, "\u0301") == 0)
                << piece.end;
            ends.push_back(start = piece.end);
        }
    };
    for (const BreakRule rule : kRules) {
        const std::vector<std::uint64_t> whole = wrap(rule, kWholeLine);
        ASSERT_GT(whole.size(), 60'000u / (4 * kWidth));
        EXPECT_EQ(wrap(rule, 0), whole) << int(rule);  // windows from the piece's start
        EXPECT_EQ(wrap(rule, 2'000), whole) << int(rule);
    }
}

}  // namespace
}  // namespace leafwright
