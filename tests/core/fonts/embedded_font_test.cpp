#include "core/fonts/embedded_font.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/fileless_face.h"

namespace leafwright {
namespace {

// Codes are held packed; whatever goes in comes back: glyphs and widths
// beyond 16 bits or below 0, texts of no character, of many (hundreds of
// bytes), of any value a char32_t holds below 0x200000 (surrogates and all,
// which a text map may not name but must not change either).
TEST(EmbeddedFont, EveryCodeKeepsItsGlyphWidthAndText) {
    testing::FilelessFace face;
    EmbeddedFont font(face);
    std::mt19937 random(7);
    auto any = [&](std::uint32_t below) { return random() % below; };
    std::vector<std::tuple<GlyphId, int, std::u32string>> added;
    const std::vector<GlyphId> glyphs = {0, 1, 0xFFFF, 0x10000, 0x10FFFF};
    const std::vector<int> widths = {0, 1, 0xFFFE, 0xFFFF, 0x10000, -1, -70000};
    for (std::size_t n = 0; n < EmbeddedFont::kMaxCodes; ++n) {
        const GlyphId glyph = n % 5 == 0 ? glyphs[any(glyphs.size())] : any(0x10000);
        const int width = n % 7 == 0 ? widths[any(widths.size())] : static_cast<int>(any(3000));
        std::u32string text;
        const std::uint32_t length = n % 1001 == 0 ? 100 + any(300) : any(n % 11 == 0 ? 40 : 3);
        for (std::uint32_t k = length; k > 0; --k) {
            const std::uint32_t kind = any(4);
            text += static_cast<char32_t>(kind == 0   ? any(0x80)
                                          : kind == 1 ? any(0x800)
                                          : kind == 2 ? any(0x10000)
                                                      : any(0x200000));
        }
        ASSERT_EQ(font.add(glyph, text, width), n + 1);
        added.emplace_back(glyph, width, text);
    }
    EXPECT_TRUE(font.full());
    EXPECT_EQ(font.add(1, U"x", 500), 0);
    ASSERT_EQ(font.codeCount(), added.size());
    for (std::size_t n = 0; n < added.size(); ++n) {
        const auto code = static_cast<std::uint16_t>(n + 1);
        ASSERT_EQ(font.glyph(code), std::get<0>(added[n])) << n;
        ASSERT_EQ(font.width(code), std::get<1>(added[n])) << n;
        ASSERT_EQ(font.text(code), std::get<2>(added[n])) << n;
    }
}

}  // namespace
}  // namespace leafwright
