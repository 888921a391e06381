#include "core/pdf/shown_glyphs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

const std::string kFontFolder = "/usr/share/fonts/truetype/";

// The remembered codes against the fonts asked every time: two documents
// shown the same glyphs in the same order (glyphs of two faces, glyph 0,
// texts of none, one and two characters, several widths for one glyph,
// far more pairs than are remembered, so that they meet in one place) give the same font, code and
// width at every step.
TEST(ShownGlyphs, GivesTheCodesTheFontsGive) {
    testing::FixedFontProvider provider({kFontFolder + "liberation2/LiberationSerif-Regular.ttf",
                                         kFontFolder + "dejavu/DejaVuSans.ttf"});
    DocumentFonts remembering(provider, "Times-Roman");
    DocumentFonts asking(provider, "Times-Roman");
    ShownGlyphs known;

    struct Drawn {
        const FontFace* face;
        GlyphId glyph;
    };
    std::vector<Drawn> glyphs;
    const FontFace* main = provider.faceFor("Times-Roman");
    for (char32_t c = 0x21; c < 0x700; ++c) {
        const FontFace* face = main->glyphFor(c) ? main : provider.fallbackFor("Times-Roman", c);
        if (face && face->glyphFor(c)) glyphs.push_back({face, face->glyphFor(c)});
    }
    glyphs.push_back({main, 0});
    ASSERT_GT(glyphs.size(), 500u);

    std::mt19937 random(5);
    const std::u32string letters = U"abc\u0627\u0628\u0644\u05D0 .";
    for (int n = 0; n < 200000; ++n) {
        const Drawn& drawn = glyphs[random() % glyphs.size()];
        std::u32string text;
        const unsigned length = random() % 8 == 0 ? random() % 3 : 1;
        for (unsigned i = 0; i < length; ++i) text += letters[random() % letters.size()];
        const int width = static_cast<int>(random() % 3) * 250;
        const std::size_t currentFont = random() % asking.fonts().size();
        const ShownCharacter a =
            known.showGlyph(remembering, *drawn.face, drawn.glyph, text, width, currentFont);
        const ShownCharacter b =
            asking.showGlyph(*drawn.face, drawn.glyph, text, width, currentFont);
        ASSERT_EQ(a.font, b.font) << n;
        ASSERT_EQ(a.code, b.code) << n;
        ASSERT_EQ(a.width, b.width) << n;
    }
    EXPECT_EQ(remembering.fonts().size(), asking.fonts().size());
}

}  // namespace
}  // namespace leafwright
