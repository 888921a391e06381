#include "core/fonts/word_shapes.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/fonts/system_font_provider.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

// Letters of each script, some marks among them, drawn into words.
struct Script {
    const char* name;
    std::u32string letters;
    std::u32string marks;
};

const std::vector<Script> kScripts = {
    {"Arabic", U"\u0627\u0628\u062A\u062C\u062D\u0633\u0644\u0645\u0646\u0647\u0648\u064A\u0625",
     U"\u064B\u064E\u0650\u0651"},
    {"Persian", U"\u067E\u0686\u0698\u06AF\u06A9\u06CC\u0627\u0646", U""},
    {"Urdu", U"\u0679\u0688\u0691\u06BA\u06C1\u06D2\u0627\u0644", U""},
    {"Hebrew", U"\u05D0\u05D1\u05D2\u05D3\u05E9\u05DC\u05D5\u05DD", U"\u05B8\u05BC"},
    {"Devanagari", U"\u0915\u0916\u0917\u0930\u0938\u0924\u094D\u093F\u0940\u093E", U"\u0902"},
    {"Bengali", U"\u0995\u0996\u0997\u09B0\u09B8\u09CD\u09BF\u09C7\u09BE", U"\u0981"},
    {"Tamil", U"\u0B95\u0B99\u0B9A\u0BA4\u0BA8\u0BCD\u0BBF\u0BC6\u0BBE", U""},
    {"Thai", U"\u0E01\u0E02\u0E04\u0E07\u0E2A\u0E27\u0E31\u0E14\u0E35\u0E33\u0E40", U"\u0E48"},
    {"Latin", U"affiflTeVAWo\u00E9", U"\u0301"},
    {"Cyrillic", U"\u0430\u0431\u0432\u0433\u0434\u0435", U""},
};

// A line of words of one or two scripts, with the neighbours of words a
// text holds: several spaces, a space before a mark, digits, punctuation,
// a tab.
std::u32string generatedLine(std::mt19937& random, const Script& first, const Script& second) {
    auto pick = [&](std::u32string_view from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    std::u32string line;
    const int words = std::uniform_int_distribution<int>(1, 9)(random);
    for (int w = 0; w < words; ++w) {
        const Script& script = random() % 4 == 0 ? second : first;
        const int length = std::uniform_int_distribution<int>(1, 7)(random);
        for (int i = 0; i < length; ++i) {
            line += pick(script.letters);
            if (!script.marks.empty() && random() % 5 == 0) line += pick(script.marks);
        }
        switch (random() % 12) {
            case 0:
                line += U"  ";
                break;
            case 1:
                line += U".";
                break;
            case 2:
                line += U" 42 ";
                break;
            case 3:
                line += U"\t";
                break;
            case 4:
                if (!script.marks.empty()) line += U" " + std::u32string(1, pick(script.marks));
                break;
            case 5:
                line += U", (";
                break;
            default:
                line += U" ";
        }
    }
    return line;
}

void expectSameShape(const ShapedLine& cached, const ShapedLine& whole,
                     const std::u32string& line) {
    // The line's code points, and each side's glyphs at their places.
    std::string where;
    for (const char32_t c : line) where += std::to_string(static_cast<unsigned>(c)) + " ";
    auto glyphsOf = [](const ShapedLine& shaped) {
        std::string listed;
        for (const ShapedGlyph& g : shaped.glyphs)
            listed.append(1, ' ')
                .append(std::to_string(g.glyph))
                .append(1, '@')
                .append(std::to_string(g.x));
        return listed;
    };
    where += "\n by words:" + glyphsOf(cached) + "\n whole:" + glyphsOf(whole);
    ASSERT_EQ(cached.glyphs.size(), whole.glyphs.size()) << where;
    EXPECT_EQ(cached.direction, whole.direction) << where;
    EXPECT_EQ(cached.advance, whole.advance) << where;
    EXPECT_EQ(cached.unprintable, whole.unprintable) << where;
    for (std::size_t g = 0; g < whole.glyphs.size(); ++g) {
        const ShapedGlyph& a = cached.glyphs[g];
        const ShapedGlyph& b = whole.glyphs[g];
        EXPECT_TRUE(a.face == b.face && a.glyph == b.glyph && a.x == b.x &&
                    a.yOffset == b.yOffset && a.advance == b.advance && a.text == b.text)
            << where << " glyph " << g;
    }
}

// Every line shaped with the words kept comes out as the line shaped whole:
// words met for the first time and met again, after the first lines of a
// face (which are also shaped whole and compared) and with a bound so small
// that words are forgotten on the way.
void shapeAlike(FontProvider& provider, const char* baseFont) {
    LineShaper whole(provider, baseFont, 2000, WordCache::off);
    LineShaper cached(provider, baseFont, 2000, WordCache::on);
    std::mt19937 random(2026);
    for (const Script& first : kScripts) {
        for (int n = 0; n < 150; ++n) {
            const Script& second = kScripts[random() % kScripts.size()];
            const std::u32string line = generatedLine(random, first, second);
            const ShapedLine expected = whole.shape(line);
            expectSameShape(cached.shape(line), expected, line);
            expectSameShape(cached.shape(line), expected, line);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST(WordShapes, LinesShapedByWordsMatchLinesShapedWholeInTheInstalledFaces) {
    SystemFontProvider provider;
    shapeAlike(provider, "Times-Roman");
    shapeAlike(provider, "Courier");
}

TEST(WordShapes, LinesShapedByWordsMatchLinesShapedWholeInFacesWithKerningAndLigatures) {
    // Liberation Serif kerns (its space in a ligature lookup's context, so
    // it is shaped whole); DejaVu Sans has a kern table and GPOS.
    const std::string folder = "/usr/share/fonts/truetype/";
    testing::FixedFontProvider provider({folder + "liberation2/LiberationSerif-Regular.ttf",
                                         folder + "dejavu/DejaVuSans.ttf",
                                         folder + "lohit-devanagari/Lohit-Devanagari.ttf"});
    shapeAlike(provider, "Times-Roman");
}

TEST(WordShapes, StaysWithinItsBoundAndKeepsTheWordsInUse) {
    constexpr std::size_t kBound = 4096;
    WordShapes shapes(kBound);
    std::vector<WordGlyph> glyphs;
    std::u32string key;
    std::span<const WordGlyph> found;
    for (std::uint32_t n = 0; n < 5000; ++n) {
        key = U"word";
        key.push_back(static_cast<char32_t>(0x600 + n));
        glyphs.assign(1 + n % 9, WordGlyph{n, n % 3, static_cast<std::int32_t>(n), -1, 2});
        ASSERT_FALSE(shapes.find(key, found));
        shapes.add(key, glyphs);
        // The first word stays: it is met again all along.
        ASSERT_TRUE(shapes.find(U"word\u0600", found)) << n;
        EXPECT_EQ(found.size(), 1u);
        ASSERT_TRUE(shapes.find(key, found));
        EXPECT_TRUE(std::equal(found.begin(), found.end(), glyphs.begin(), glyphs.end()));
        EXPECT_LE(shapes.heldBytes(), 2 * kBound);
    }
    // Words not met again are forgotten.
    EXPECT_FALSE(shapes.find(U"word\u0601", found));
    EXPECT_LT(shapes.heldWords(), 5000u);
    // A word larger than the bound is not kept.
    shapes.add(U"big", std::vector<WordGlyph>(kBound, WordGlyph{}));
    EXPECT_FALSE(shapes.find(U"big", found));
}

// Against a plain map: many short keys of few characters (alike in their
// hashes' low bits as often as chance has it), glyphs of every length, a
// bound that forgets words on the way and tables grown again and again. A
// word found gives exactly the glyphs it was kept with; a word just kept or
// just found is found.
TEST(WordShapes, GivesBackExactlyTheGlyphsKeptForEachKey) {
    WordShapes shapes(64 << 10);
    std::map<std::u32string, std::vector<WordGlyph>> kept;
    std::mt19937 random(11);
    std::span<const WordGlyph> found;
    std::size_t hits = 0;
    for (int n = 0; n < 60000; ++n) {
        std::u32string key(1 + random() % 6, U'a');
        for (char32_t& c : key) c = U'a' + random() % 7;
        if (shapes.find(key, found)) {
            ++hits;
            const auto known = kept.find(key);
            ASSERT_NE(known, kept.end()) << n;
            ASSERT_TRUE(
                std::equal(found.begin(), found.end(), known->second.begin(), known->second.end()))
                << n;
            ASSERT_TRUE(shapes.find(key, found)) << n;
            continue;
        }
        std::vector<WordGlyph> glyphs(random() % 12);
        for (WordGlyph& glyph : glyphs)
            glyph = {static_cast<std::uint32_t>(random()), static_cast<std::uint32_t>(random() % 9),
                     static_cast<std::int32_t>(random() % (1u << 31)) - (1 << 30),
                     -static_cast<std::int32_t>(random() % 500),
                     static_cast<std::int32_t>(random() % 500)};
        shapes.add(key, glyphs);
        kept[key] = glyphs;
        ASSERT_TRUE(shapes.find(key, found)) << n;
        ASSERT_TRUE(std::equal(found.begin(), found.end(), glyphs.begin(), glyphs.end())) << n;
        ASSERT_LE(shapes.heldBytes(), 2u * (64 << 10));
    }
    // Both outcomes were met: words kept and found, and words forgotten.
    EXPECT_GT(hits, 10000u);
    EXPECT_LT(shapes.heldWords(), kept.size());
}

}  // namespace
}  // namespace leafwright
