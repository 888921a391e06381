#include "core/fonts/line_shaper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>

#include "core/fonts/shaping_need.h"
#include "support/fileless_face.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

const std::string& kFontFolder = testing::kTestFontFolder;
const std::vector<std::string>& kFaces = testing::kShapingTestFaces;

// Two shapings of one line give the same direction, advance and glyphs.
void expectSameShaping(const ShapedLine& a, const ShapedLine& b, const std::string& where) {
    ASSERT_EQ(a.direction, b.direction) << where;
    ASSERT_EQ(a.advance, b.advance) << where;
    ASSERT_EQ(a.glyphs.size(), b.glyphs.size()) << where;
    for (std::size_t g = 0; g < a.glyphs.size(); ++g) {
        const ShapedGlyph& x = a.glyphs[g];
        const ShapedGlyph& y = b.glyphs[g];
        ASSERT_TRUE(x.face == y.face && x.glyph == y.glyph && x.x == y.x &&
                    x.yOffset == y.yOffset && x.advance == y.advance && x.text == y.text)
            << where << " glyph " << g;
    }
}
constexpr int kTabStop = 2000;

// The texts of the glyphs in order: the line as typed.
std::u32string joinedText(const ShapedLine& line) {
    std::u32string text;
    for (const ShapedGlyph& glyph : line.glyphs) text += glyph.text;
    return text;
}

// The glyph that carries a cluster's text.
const ShapedGlyph& clusterOf(const ShapedLine& line, std::u32string_view text) {
    const auto found = std::find_if(line.glyphs.begin(), line.glyphs.end(),
                                    [&](const ShapedGlyph& glyph) { return glyph.text == text; });
    if (found == line.glyphs.end()) throw std::runtime_error("no such cluster");
    return *found;
}

class LineShaperTest : public ::testing::Test {
  protected:
    testing::FixedFontProvider provider{kFaces};
    LineShaper shaper{provider, "Times-Roman", kTabStop};
};

TEST(ShapingNeed, OnlyJoiningReorderingAndMarkedLinesAreShaped) {
    for (std::u32string_view line :
         {U"Hello, world: 5 \u20AC, caf\u00E9 \u00C5ngstr\u00F6m",
          U"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1",
          U"\u041F\u0440\u0438\u0432\u0435\u0442",
          U"\u4E2D\u6587\u30C6\u30AD\u30B9\u30C8\uD55C\uAD6D\uC5B4",
          U"\u250C\u2500\u2500\u2510\t\u2502", U"\u02C6\u02DC modifier letters"})
        EXPECT_FALSE(needsShaping(line)) << std::string(line.begin(), line.end());

    for (std::u32string_view line :
         {U"\u0633\u0644\u0627\u0645", U"\u05E9\u05DC\u05D5\u05DD", U"\u0915\u093F",
          U"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35",  // Thai
          U"plain then e\u0301",                    // a combining accent
          U"abc \u202Edef",                         // a direction override
          U"\u1780\u17D2\u1798\u17C2\u179A",        // Khmer
          U"Greek with a mark \u03B1\u0313"})
        EXPECT_TRUE(needsShaping(line)) << std::string(line.begin(), line.end());
}

TEST_F(LineShaperTest, ArabicLettersJoinAndLamAlefIsOneGlyphForBothLetters) {
    // kaf, teh, beh: initial, medial and final forms, none the isolated one.
    const std::u32string word = U"\u0643\u062A\u0628";
    const ShapedLine joined = shaper.shape(word);
    EXPECT_EQ(joined.direction, TextDirection::rightToLeft);
    ASSERT_EQ(joined.glyphs.size(), 3u);
    for (std::size_t i = 0; i < word.size(); ++i) {
        const ShapedLine isolated = shaper.shape(word.substr(i, 1));
        ASSERT_EQ(isolated.glyphs.size(), 1u);
        EXPECT_EQ(joined.glyphs[i].text, word.substr(i, 1));
        EXPECT_NE(joined.glyphs[i].glyph, isolated.glyphs[0].glyph) << "letter " << i;
    }
    // In logical order, right to left on the page, ending at the line's end.
    EXPECT_GT(joined.glyphs[0].x, joined.glyphs[1].x);
    EXPECT_GT(joined.glyphs[1].x, joined.glyphs[2].x);
    EXPECT_EQ(joined.glyphs[2].x, 0);
    EXPECT_NEAR(joined.glyphs[0].x + joined.glyphs[0].advance, joined.advance, 1);

    // seen, lam-alef, meem: the ligature's glyph maps back to both letters.
    const ShapedLine salam = shaper.shape(U"\u0633\u0644\u0627\u0645");
    ASSERT_EQ(salam.glyphs.size(), 3u);
    EXPECT_EQ(salam.glyphs[1].text, U"\u0644\u0627");
    EXPECT_EQ(joinedText(salam), U"\u0633\u0644\u0627\u0645");
}

TEST_F(LineShaperTest, NumbersRunLeftToRightInsideARightToLeftLine) {
    const std::u32string sentence = U"\u05E9\u05DC\u05D5\u05DD 123 \u05E2\u05D5\u05DC\u05DD";
    const ShapedLine line = shaper.shape(sentence);
    EXPECT_EQ(line.direction, TextDirection::rightToLeft);
    EXPECT_EQ(joinedText(line), sentence);          // logical order kept
    const int shin = clusterOf(line, U"\u05E9").x;  // first letter, at the right end
    const int one = clusterOf(line, U"1").x;
    const int two = clusterOf(line, U"2").x;
    const int three = clusterOf(line, U"3").x;
    const int ayin = clusterOf(line, U"\u05E2").x;  // first letter of the second word
    EXPECT_LT(one, two);
    EXPECT_LT(two, three);
    EXPECT_GT(shin, three);
    EXPECT_LT(ayin, one);
    EXPECT_NEAR(shin + clusterOf(line, U"\u05E9").advance, line.advance, 1);

    // Hebrew inside a left-to-right line: the line reads left to right, the
    // Hebrew word right to left.
    const ShapedLine mixed = shaper.shape(U"see \u05E9\u05DC\u05D5\u05DD now");
    EXPECT_EQ(mixed.direction, TextDirection::leftToRight);
    EXPECT_LT(clusterOf(mixed, U"s").x, clusterOf(mixed, U"\u05DD").x);
    EXPECT_LT(clusterOf(mixed, U"\u05DD").x, clusterOf(mixed, U"\u05E9").x);
    EXPECT_LT(clusterOf(mixed, U"\u05E9").x, clusterOf(mixed, U"n").x);
}

// A line that opens with a Latin name but holds more right-to-left letters
// is a right-to-left paragraph: the name stands at its right end and the
// full stop at its left end. A tie, or more Latin letters, keeps the first
// letter's direction, and a line whose first letter is right to left stays
// right to left however many Latin letters follow.
TEST_F(LineShaperTest, MostlyRightToLeftLettersMakeARightToLeftParagraph) {
    const ShapedLine named =
        shaper.shape(U"PNG \u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD.");
    EXPECT_EQ(named.direction, TextDirection::rightToLeft);
    EXPECT_GT(clusterOf(named, U"P").x, clusterOf(named, U"\u05E9").x);
    EXPECT_LT(clusterOf(named, U"P").x, clusterOf(named, U"G").x);
    EXPECT_LT(clusterOf(named, U".").x, clusterOf(named, U"\u05DD").x);
    EXPECT_EQ(clusterOf(named, U".").x, 0);

    EXPECT_EQ(shaper.shape(U"abcd \u05E9\u05DC\u05D5\u05DD").direction, TextDirection::leftToRight);
    EXPECT_EQ(shaper.shape(U"abcde \u05E9\u05DC\u05D5\u05DD").direction,
              TextDirection::leftToRight);
    EXPECT_EQ(shaper.shape(U"abc \u05E9\u05DC\u05D5\u05DD").direction, TextDirection::rightToLeft);
    EXPECT_EQ(shaper.shape(U"\u05E9 abcdefgh").direction, TextDirection::rightToLeft);
    // Digits and punctuation count for neither.
    EXPECT_EQ(shaper.shape(U"ab 12345 \u05E9\u05DC\u05D5 !!!").direction,
              TextDirection::rightToLeft);
}

TEST_F(LineShaperTest, DevanagariVowelSignIsDrawnBeforeItsConsonant) {
    const ShapedLine ki = shaper.shape(U"\u0915\u093F");
    ASSERT_EQ(ki.glyphs.size(), 2u);
    const FontFace& face = *ki.glyphs[0].face;
    const GlyphId ka = face.glyphFor(U'\u0915');
    // One cluster: its first glyph carries both characters.
    EXPECT_EQ(ki.glyphs[0].text, U"\u0915\u093F");
    EXPECT_EQ(ki.glyphs[1].text, U"");
    const auto consonant =
        std::find_if(ki.glyphs.begin(), ki.glyphs.end(),
                     [&](const ShapedGlyph& glyph) { return glyph.glyph == ka; });
    ASSERT_NE(consonant, ki.glyphs.end());
    const auto& sign = consonant == ki.glyphs.begin() ? ki.glyphs[1] : ki.glyphs[0];
    EXPECT_LT(sign.x, consonant->x);
    EXPECT_EQ(ki.direction, TextDirection::leftToRight);
}

TEST_F(LineShaperTest, CombiningAccentSitsOverItsLetter) {
    const ShapedLine capital = shaper.shape(U"Q\u0301");
    const ShapedLine small = shaper.shape(U"q\u0301");
    ASSERT_EQ(capital.glyphs.size(), 2u);
    ASSERT_EQ(small.glyphs.size(), 2u);
    EXPECT_EQ(capital.glyphs[0].text, U"Q\u0301");
    const ShapedGlyph& letter = capital.glyphs[0];
    const ShapedGlyph& accent = capital.glyphs[1];
    EXPECT_EQ(accent.advance, 0);
    EXPECT_GT(accent.x, letter.x);
    EXPECT_LT(accent.x, letter.x + letter.advance);
    EXPECT_EQ(capital.advance, letter.advance);
    // The accent rides higher over the capital than over the small letter.
    EXPECT_GT(accent.yOffset, small.glyphs[1].yOffset);
}

TEST_F(LineShaperTest, TabStopsCountFromTheLineStartEdge) {
    const ShapedLine rightToLeft =
        shaper.shape(U"\u05E9\u05DC\u05D5\u05DD\t\u05E2\u05D5\u05DC\u05DD");
    // The first word is wider than one stop: the second starts at the
    // second stop from the right end, and the tab fills the gap.
    const ShapedGlyph& finalMem = clusterOf(rightToLeft, U"\u05DD");  // the first word's end
    ASSERT_GT(rightToLeft.advance - finalMem.x, kTabStop);
    ASSERT_LT(rightToLeft.advance - finalMem.x, 2 * kTabStop);
    const ShapedGlyph& ayin = clusterOf(rightToLeft, U"\u05E2");
    EXPECT_EQ(ayin.x + ayin.advance, rightToLeft.advance - 2 * kTabStop);
    const ShapedGlyph& tab = clusterOf(rightToLeft, U"\t");
    EXPECT_EQ(tab.glyph, 0u);
    EXPECT_EQ(tab.x, ayin.x + ayin.advance);
    EXPECT_EQ(tab.x + tab.advance, finalMem.x);

    const ShapedLine leftToRight = shaper.shape(U"e\u0301\tx");
    EXPECT_EQ(clusterOf(leftToRight, U"x").x, kTabStop);
}

TEST_F(LineShaperTest, EveryLineComesBackInTypedOrderFromItsGlyphs) {
    // Mixed directions, scripts and faces, explicit overrides, joiners,
    // controls, marks at the line's start and characters no face has.
    for (std::u32string line :
         {std::u32string(
              U"The word \u0633\u0644\u0627\u0645 means peace (\u05E9\u05DC\u05D5\u05DD)."),
          std::u32string(U"\u0627\u0644\u0639\u062F\u062F 42 \u0648 3.14 \u0647\u0646\u0627!"),
          std::u32string(
              U"\u0939\u093F\u0928\u094D\u0926\u0940 \u0915\u094D\u0937 \u0936\u094D\u0930\u0940"),
          std::u32string(
              U"\u0301 mark first, then \u202Ereversed\u202C and \u200D\u0644\u200C\u0644"),
          std::u32string(U"\u05D0\u05B8\u05D1\u05B4\u05D9\t\x01\x7F end \U0010FFFD"),
          std::u32string(U"\uFEFF\u200B")}) {
        const ShapedLine shaped = shaper.shape(line);
        std::u32string expected = line;
        std::replace(expected.begin(), expected.end(), U'\U0010FFFD', U'?');
        EXPECT_EQ(joinedText(shaped), expected);
        EXPECT_EQ(shaped.unprintable, expected == line ? 0u : 1u);
        for (const ShapedGlyph& glyph : shaped.glyphs) {
            EXPECT_NE(glyph.face, nullptr);
            EXPECT_GE(glyph.x + glyph.advance, 0);
            EXPECT_LE(glyph.x, shaped.advance + 1000);
            if (!glyph.text.empty() &&
                std::all_of(glyph.text.begin(), glyph.text.end(),
                            [](char32_t c) { return c < 0x20 || c == 0xFEFF || c == 0x200B; }) &&
                glyph.text != U"\t") {
                EXPECT_TRUE(glyph.glyph == 0 && glyph.advance == 0);
            }
        }
    }
    EXPECT_TRUE(shaper.shape(U"").glyphs.empty());
}

TEST(LineShaperWithoutFontFile, DrawsOneGlyphPerCharacterInBidirectionalOrder) {
    testing::FilelessProvider provider;  // every letter below U+0800, 500 wide
    LineShaper shaper(provider, "Courier", kTabStop);
    const ShapedLine line = shaper.shape(U"\u05D0\u05D1 ab");
    ASSERT_EQ(line.glyphs.size(), 5u);
    EXPECT_EQ(line.direction, TextDirection::rightToLeft);
    EXPECT_EQ(line.advance, 2500);
    const int expectedX[] = {2000, 1500, 1000, 0, 500};  // "ab" reads left to right
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(line.glyphs[i].glyph, U"\u05D0\u05D1 ab"[i]);
        EXPECT_EQ(line.glyphs[i].x, expectedX[i]) << i;
    }
}

// Lines of one direction's letters among neutrals and marks are ordered
// without the full bidirectional algorithm: they must come out as those that
// go through it, in every paragraph direction. A third of the lines also get
// a character that rules the shortcut out (a number, a letter of the other
// direction, a mark of direction, an embedding or isolate, a joiner, a
// paragraph separator).
TEST(LineShaperDirections, LinesInOneDirectionAreOrderedAsByTheFullAlgorithm) {
    testing::FixedFontProvider provider{kFaces};
    LineShaper shortcut(provider, "Times-Roman", kTabStop, WordCache::off,
                        DirectionShortcut::taken);
    LineShaper full(provider, "Times-Roman", kTabStop, WordCache::off, DirectionShortcut::refused);
    const std::u32string rightToLeft = U"\u0627\u0628\u062A\u0644\u0645\u05D0\u05D1\u05E9";
    const std::u32string leftToRight = U"aeftWV\u0915\u093F\u0930";
    const std::u32string neutrals = U"   .,!()[]-+#%$/\t\u00AB\u00BB?\u00A0\u2003:";
    const std::u32string marks = U"\u064B\u05B8\u0301\u0902";
    const std::u32string spoilers =
        U"4\u0661\u200E\u200F\u202B\u202C\u2067\u2069\u200Dx\u0628\u2029";
    std::mt19937 random(7);
    auto pick = [&](const std::u32string& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    for (int n = 0; n < 900; ++n) {
        const std::u32string& letters = n % 2 ? rightToLeft : leftToRight;
        std::u32string line;
        const int length = std::uniform_int_distribution<int>(1, 40)(random);
        for (int i = 0; i < length; ++i) {
            const unsigned kind = random() % 10;
            line += kind < 5 ? pick(letters) : kind < 9 ? pick(neutrals) : pick(marks);
        }
        if (n % 3 == 2)
            line.insert(line.begin() + static_cast<std::ptrdiff_t>(random() % (line.size() + 1)),
                        pick(spoilers));
        for (const std::optional<TextDirection> paragraph :
             {std::optional<TextDirection>(), std::optional(TextDirection::rightToLeft),
              std::optional(TextDirection::leftToRight)}) {
            const ShapedLine a = shortcut.shape(line, paragraph);
            const ShapedLine b = full.shape(line, paragraph);
            std::string where = "line " + std::to_string(n) + ":";
            for (const char32_t c : line) where += " " + std::to_string(static_cast<unsigned>(c));
            ASSERT_NO_FATAL_FAILURE(expectSameShaping(a, b, where));
        }
    }
}

// A row cut from a longer stretch already shaped is mostly taken from that
// stretch's shaping: it must come out exactly as the row shaped on its own,
// whatever it holds. Lines of words in several scripts and faces, with
// leading neutrals, marks, tabs, joiners, numbers and characters no face
// has; each cut short several times in a row, as rows are measured.
void rowsShapeAsAlone(FontProvider& provider) {
    LineShaper measuring(provider, "Times-Roman", kTabStop);
    // Words of one script per line mostly, so that runs hold many words.
    const std::vector<std::vector<std::u32string>> scripts = {
        {U"\u0643\u062A\u0628", U"\u0633\u0644\u0627\u0645", U"\u0627\u0644\u0639\u062F\u062F",
         U"\u0628\u064E\u0651", U"\u0645\u0646", U"\u0641\u064A"},
        {U"\u05E9\u05DC\u05D5\u05DD", U"\u05D0\u05B8\u05D1", U"\u05D1\u05D9\u05EA"},
        {U"word", U"affix", U"caf\u00E9", U"Te"}};
    const std::vector<std::u32string> others = {U"\u0939\u093F\u0928\u094D\u0926\u0940",
                                                U"\u0915\u094D\u0937",
                                                U"42",
                                                U"3.14",
                                                U"(",
                                                U")",
                                                U".",
                                                U"\t",
                                                U"  ",
                                                U"\u200D",
                                                U"\u200C",
                                                U"\u0640",
                                                U"\U0010FFFD",
                                                U"\u202B",
                                                U"!?",
                                                U"\u0643\u062A\u0628",
                                                U"word"};
    std::mt19937 random(11);
    std::size_t taken = 0;
    for (int n = 0; n < 400; ++n) {
        LineShaper alone(provider, "Times-Roman", kTabStop);
        std::u32string line;
        if (n % 5 == 0) line += U" (";
        const std::vector<std::u32string>& words = scripts[random() % scripts.size()];
        const int count = std::uniform_int_distribution<int>(1, 24)(random);
        for (int i = 0; i < count; ++i) {
            line += random() % 8 == 0 ? others[random() % others.size()]
                                      : words[random() % words.size()];
            if (random() % 6 != 0) line += U' ';
        }
        const std::optional<TextDirection> paragraph =
            n % 3 == 0 ? std::nullopt
                       : std::optional(n % 3 == 1 ? TextDirection::rightToLeft
                                                  : TextDirection::leftToRight);
        measuring.shapeAndKeep(line, paragraph);
        std::u32string row = line;
        while (row.size() > 1) {
            row.resize(std::uniform_int_distribution<std::size_t>(1, row.size() - 1)(random));
            const bool keep = random() % 2 == 0;
            const ShapedLine a =
                keep ? measuring.shapeAndKeep(row, paragraph) : measuring.shape(row, paragraph);
            const ShapedLine b = alone.shape(row, paragraph);
            std::string where =
                "line " + std::to_string(n) + ", row of " + std::to_string(row.size()) + ":";
            for (const char32_t c : row) where += " " + std::to_string(static_cast<unsigned>(c));
            ASSERT_EQ(a.unprintable, b.unprintable) << where;
            ASSERT_NO_FATAL_FAILURE(expectSameShaping(a, b, where));
            ++taken;
            if (!keep) break;
        }
    }
    EXPECT_GT(taken, 600u);
}

TEST(LineShaperRows, ARowTakenFromItsMeasuredStretchIsTheRowShapedAlone) {
    testing::FixedFontProvider faces{kFaces};
    rowsShapeAsAlone(faces);
    // Faces whose space stands alone, so that runs are put together word by
    // word and a row's earlier words are kept from its stretch.
    testing::FixedFontProvider wordFaces{{kFontFolder + "liberation2/LiberationSerif-Regular.ttf",
                                          kFontFolder + "noto/NotoSansArabic-Regular.ttf",
                                          kFontFolder + "noto/NotoSansHebrew-Regular.ttf",
                                          kFontFolder + "dejavu/DejaVuSans.ttf",
                                          kFontFolder + "lohit-devanagari/Lohit-Devanagari.ttf"}};
    rowsShapeAsAlone(wordFaces);
}

}  // namespace
}  // namespace leafwright
