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

// Where "%s", "(EULA)" and "ב־PAM" meet a left-to-right run, in logical
// order, each drawn to the left of the one before.
TEST(DirectionTurns, GlyphsMeetingALeftToRightRunStandWhereMupdfKeepsTheLine) {
    // "ש %s": the run is short, the "%" keeps its place.
    ShapedLine percent =
        rightToLeftLine({{U"ש", 1800, 600}, {U" ", 1550, 250}, {U"%", 720, 830}, {U"s", 330, 390}});
    EXPECT_EQ(turnCodePlace(percent, 2), 720);
    EXPECT_FALSE(turnCodePlace(percent, 1));  // a space may end MuPDF's line
    EXPECT_FALSE(turnCodePlace(percent, 3));  // the run itself stays

    // "ש(EULA)": the run is long; "(" stands at its start and ")" at its
    // end; the letters stay.
    ShapedLine bracket = rightToLeftLine({{U"ש", 3600, 600},
                                          {U"(", 3270, 330},
                                          {U"E", 600, 610},
                                          {U"U", 1210, 720},
                                          {U"L", 1930, 610},
                                          {U"A", 2540, 730},
                                          {U")", 270, 330}});
    EXPECT_EQ(turnCodePlace(bracket, 1), 600);
    EXPECT_EQ(turnCodePlace(bracket, 6), 3270);
    for (std::size_t letter = 2; letter < 6; ++letter) EXPECT_FALSE(turnCodePlace(bracket, letter));
    EXPECT_FALSE(turnCodePlace(bracket, 0));

    // "ב־PAM": a right-to-left letter before a long run keeps its place.
    ShapedLine maqaf = rightToLeftLine({{U"ב", 2900, 600},
                                        {U"־", 2000, 900},
                                        {U"P", 0, 560},
                                        {U"A", 560, 720},
                                        {U"M", 1280, 720}});
    EXPECT_FALSE(turnCodePlace(maqaf, 1));

    // The same glyphs in a left-to-right line are written as they stand.
    ShapedLine leftToRight = bracket;
    leftToRight.direction = TextDirection::leftToRight;
    for (std::size_t g = 0; g < leftToRight.glyphs.size(); ++g)
        EXPECT_FALSE(turnCodePlace(leftToRight, g));
}

}  // namespace
}  // namespace leafwright
