#include "core/pdf/glyph_texts.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/pdf/shown_glyphs.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

const std::string& kFontFolder = testing::kTestFontFolder;
const std::vector<std::string>& kFaces = testing::kShapingTestFaces;

// Lines of words in Arabic (with a shadda and a kasra), Hebrew (with
// points), Latin (with an accent to combine), Devanagari, digits and
// punctuation, several scripts to a line now and then.
std::vector<std::u32string> generatedLines(unsigned seed, int count) {
    const std::vector<std::u32string> words = {U"\u0643\u062A\u0628",
                                               U"\u0633\u0644\u0627\u0645",
                                               U"\u0628\u0651\u0650",
                                               U"\u0644\u0627",
                                               U"\u05E9\u05DC\u05D5\u05DD",
                                               U"\u05D0\u05B8\u05D1",
                                               U"\u05D1\u05D9\u05EA",
                                               U"word",
                                               U"fine",
                                               U"e\u0301t\u00E9",
                                               U"\u0915\u093F\u0930",
                                               U"\u0939\u093F\u0928\u094D\u0926\u0940",
                                               U"42",
                                               U"3.14",
                                               U"(",
                                               U")",
                                               U".",
                                               U"\u0661\u0662",
                                               U"\u200C",
                                               U"\t"};
    std::mt19937 random(seed);
    std::vector<std::u32string> lines;
    for (int n = 0; n < count; ++n) {
        // Most lines keep to a few words, so that one script leads.
        const std::size_t first = random() % words.size();
        std::u32string line;
        const int length = static_cast<int>(random() % 12) + 1;
        for (int w = 0; w < length; ++w) {
            const std::size_t pick =
                random() % 4 == 0 ? random() % words.size() : (first + random() % 3) % words.size();
            if (!line.empty()) line += U' ';
            line += words[pick];
        }
        lines.push_back(line);
    }
    return lines;
}

// The codes of shaped lines with the remembered codes of single glyphs,
// against the fonts asked for every glyph: line after line the same codes
// in the same places, and the same widths, which a glyph's code takes from
// its glyph's own advance the first time it is shown. A line of one glyph
// per character (and no direction mark) draws a code per glyph, as wide
// as spreadClusterTexts says.
TEST(DrawnCodes, RememberedCodesAreTheFontsOwnAndAsWideAsTheirGlyphs) {
    testing::FixedFontProvider provider(kFaces);
    LineShaper shaper(provider, "Times-Roman", 2000);
    DocumentFonts remembering(provider, "Times-Roman");
    DocumentFonts asking(provider, "Times-Roman");
    ShownGlyphs known;
    std::size_t checkedWidths = 0;
    const std::vector<std::u32string> lines = generatedLines(3, 3000);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const ShapedLine line = shaper.shape(lines[n]);
        const std::vector<DrawnCode> a = drawnCodes(remembering, line, 0, &known);
        const std::vector<DrawnCode> b = drawnCodes(asking, line, 0);
        ASSERT_EQ(a.size(), b.size()) << n;
        for (std::size_t c = 0; c < a.size(); ++c) {
            ASSERT_EQ(a[c].shown.font, b[c].shown.font) << n << " " << c;
            ASSERT_EQ(a[c].shown.code, b[c].shown.code) << n << " " << c;
            ASSERT_EQ(a[c].shown.width, b[c].shown.width) << n << " " << c;
            ASSERT_EQ(a[c].x, b[c].x) << n << " " << c;
            ASSERT_EQ(a[c].yOffset, b[c].yOffset) << n << " " << c;
            ASSERT_EQ(a[c].mark, b[c].mark) << n << " " << c;
            // No glyph of these faces is wider than three ems.
            ASSERT_TRUE(a[c].shown.width >= 0 && a[c].shown.width <= 3000) << n << " " << c;
        }
        bool oneToOne = a.size() == line.glyphs.size();
        for (const ShapedGlyph& glyph : line.glyphs) oneToOne = oneToOne && glyph.text.size() == 1;
        for (const DrawnCode& code : a) oneToOne = oneToOne && !code.mark;
        if (!oneToOne) continue;
        const std::vector<GlyphText> texts = spreadClusterTexts(line);
        for (std::size_t g = 0; g < texts.size(); ++g) {
            const ShapedGlyph& glyph = line.glyphs[g];
            const int own = glyph.glyph == 0 ? 0 : glyph.face->advanceWidth(glyph.glyph);
            ASSERT_EQ(texts[g].width, own) << n << " " << g;
            ASSERT_EQ(a[g].shown.width, own) << n << " " << g;
            ++checkedWidths;
        }
    }
    EXPECT_GT(checkedWidths, 5000u);
    EXPECT_EQ(remembering.fonts().size(), asking.fonts().size());
}

}  // namespace
}  // namespace leafwright
