#include "core/pdf/direction_turns.h"

#include <gtest/gtest.h>

#include "core/fonts/line_shaper.h"

namespace leafwright {
namespace {

// A right-to-left line laid out by hand from its clusters, each one glyph:
// its text, where it stands and its advance (thousandths of the em).
struct Cluster {
    const char32_t* text;
    int x;
    int advance;
};

ShapedLine rightToLeftLine(std::initializer_list<Cluster> clusters) {
    ShapedLine line;
    line.direction = TextDirection::rightToLeft;
    GlyphId glyph = 1;
    for (const Cluster& cluster : clusters)
        line.glyphs.push_back({nullptr, glyph++, cluster.x, 0, cluster.advance, cluster.text});
    return line;
}

// The marks as "before@x" pairs, for readable failures.
std::vector<std::pair<std::size_t, int>> marksOf(const ShapedLine& line) {
    std::vector<std::pair<std::size_t, int>> marks;
    for (const DirectionMark& mark : directionMarks(line)) marks.emplace_back(mark.before, mark.x);
    return marks;
}

using Marks = std::vector<std::pair<std::size_t, int>>;

// Lines in logical order, each cluster drawn to the left of the one before
// unless it goes on a left-to-right run.
TEST(DirectionTurns, LeftToRightPiecesGetMarksAtTheirLeftEdge) {
    // "ש %s ל": the run follows a blank and comes before one: one mark, just
    // left of "%", written before it.
    EXPECT_EQ(marksOf(rightToLeftLine({{U"ש", 1800, 600},
                                       {U" ", 1550, 250},
                                       {U"%", 720, 830},
                                       {U"s", 1160, 390},
                                       {U" ", 470, 250},
                                       {U"ל", 0, 470}})),
              (Marks{{2, 719}}));

    // "עוד, נדרש": the comma is a piece of its own, followed by a blank.
    EXPECT_EQ(marksOf(rightToLeftLine(
                  {{U"ד", 1500, 500}, {U",", 1250, 250}, {U" ", 1000, 250}, {U"נ", 500, 500}})),
              (Marks{{1, 1249}}));

    // "ש(EULA)": a Latin run after a bracket and before one gets a mark on
    // each side: before it at its left edge, after it where the bracket
    // after starts; the brackets get none.
    EXPECT_EQ(marksOf(rightToLeftLine({{U"ש", 3600, 600},
                                       {U"(", 3270, 330},
                                       {U"E", 600, 610},
                                       {U"U", 1210, 720},
                                       {U"L", 1930, 610},
                                       {U"A", 2540, 730},
                                       {U")", 270, 330}})),
              (Marks{{2, 599}, {6, 270}}));

    // "ב־PAM" ends the line: after a letter the run gets a mark before it;
    // nothing follows it.
    EXPECT_EQ(marksOf(rightToLeftLine({{U"ב", 2900, 600},
                                       {U"־", 2000, 900},
                                       {U"P", 0, 560},
                                       {U"A", 560, 720},
                                       {U"M", 1280, 720}})),
              (Marks{{2, -1}}));

    // "ב 12 ש": digits between letters and blanks need the mark poppler
    // reads; MuPDF keeps their line without one after them.
    EXPECT_EQ(marksOf(rightToLeftLine({{U"ב", 2000, 600},
                                       {U" ", 1750, 250},
                                       {U"1", 750, 500},
                                       {U"2", 1250, 500},
                                       {U" ", 500, 250},
                                       {U"ש", 0, 500}})),
              (Marks{{2, 749}}));

    // Letters and digits followed by a right-to-left letter need nothing:
    // the letter ends poppler's stretch, and turns MuPDF's reading back.
    EXPECT_TRUE(
        marksOf(rightToLeftLine({{U"ב", 1500, 600}, {U"7", 1000, 500}, {U"ש", 500, 500}})).empty());
}

// "a ש 5 ל b": in a left-to-right paragraph the number inside the
// right-to-left run is such a piece too; the Latin words around the run are
// not.
TEST(DirectionTurns, NumbersInsideTheRightToLeftRunOfALeftToRightLineGetMarks) {
    ShapedLine line = rightToLeftLine({{U"a", 0, 500},
                                       {U" ", 500, 250},
                                       {U"ש", 2250, 500},
                                       {U" ", 2000, 250},
                                       {U"5", 1500, 500},
                                       {U" ", 1250, 250},
                                       {U"ל", 750, 500},
                                       {U" ", 2750, 250},
                                       {U"b", 3000, 500}});
    line.direction = TextDirection::leftToRight;
    EXPECT_EQ(marksOf(line), (Marks{{4, 1499}}));
}

TEST(DirectionTurns, LinesWithoutLeftToRightPiecesOrOfThatDirectionGetNone) {
    const ShapedLine letters = rightToLeftLine(
        {{U"ש", 1500, 500}, {U"ל", 1000, 500}, {U" ", 750, 250}, {U"ם", 250, 500}, {U"!", 0, 250}});
    EXPECT_TRUE(directionMarks(letters).empty());

    ShapedLine leftToRight = rightToLeftLine(
        {{U"a", 0, 500}, {U",", 500, 250}, {U" ", 750, 250}, {U"ש", 1250, 500}, {U"b", 1750, 500}});
    leftToRight.direction = TextDirection::leftToRight;
    EXPECT_TRUE(directionMarks(leftToRight).empty());
}

}  // namespace
}  // namespace leafwright
