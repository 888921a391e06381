// Emoji from the installed colour face: which sequences are drawn whole, the
// pictures of its glyphs, a damaged face failing with its file's name, and
// lines shaped with the system's faces keeping their text and their digits
// in the main face.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "core/fonts/colour_bitmap_face.h"
#include "core/fonts/emoji_sequences.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/shaping_need.h"
#include "core/fonts/system_font_provider.h"
#include "core/fonts/truetype_face.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

const std::string kColourFace = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";
const std::string kSerif = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";

using Spans = std::vector<std::pair<std::size_t, std::size_t>>;

TEST(EmojiSequences, FindsWhatOneGlyphMayDraw) {
    // family, skin tone, flag, keycap, subdivision flag, rainbow flag
    const std::u32string line =
        U"a \U0001F468\u200D\U0001F469\u200D\U0001F467 \U0001F44D\U0001F3FD "
        U"\U0001F1EF\U0001F1F5 7\uFE0F\u20E3 "
        U"\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F "
        U"\U0001F3F3\uFE0F\u200D\U0001F308";
    EXPECT_EQ(emojiSequences(line),
              (Spans{{2, 7}, {8, 10}, {11, 13}, {14, 17}, {18, 25}, {26, 30}}));
    // Three regional indicators make one flag and one letter.
    EXPECT_EQ(emojiSequences(U"\U0001F1E9\U0001F1EA\U0001F1EB"), (Spans{{0, 2}}));
    // A presentation selector alone, a joiner between Indic letters, a
    // joiner at the end: none is a sequence.
    EXPECT_EQ(emojiSequences(U"\u2764\uFE0F \u0915\u094D\u200D\u0937 \U0001F468\u200D"), Spans{});
    // Lines with joiners are shaped, so that the sequences can be formed.
    EXPECT_TRUE(needsShaping(U"flag \U0001F1EF\U0001F1F5"));
    EXPECT_TRUE(needsShaping(U"\U0001F44D\U0001F3FD"));
    EXPECT_FALSE(needsShaping(U"\U0001F600 \u2764 \U0001FAE8"));
}

TEST(ColourBitmapFace, DrawsGlyphsAsPicturesLaidOnWhite) {
    if (!std::filesystem::exists(kColourFace)) GTEST_SKIP() << "no Noto Color Emoji";
    EXPECT_EQ(openColourBitmapFace(kSerif), nullptr);
    EXPECT_EQ(openTrueTypeFace(kColourFace), nullptr);
    const std::unique_ptr<FontFace> face = openColourBitmapFace(kColourFace);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->outlines(), FontOutlines::colourBitmaps);
    EXPECT_THROW(face->subset({1}), std::runtime_error);

    const GlyphId grinning = face->glyphFor(U'\U0001F600');
    ASSERT_NE(grinning, 0u);
    const GlyphPicture picture = face->picture(grinning, 72);
    EXPECT_GT(picture.height, 32u);
    EXPECT_LE(picture.height, 72u);
    EXPECT_LE(picture.width, 80u);
    ASSERT_EQ(picture.rgb.size(), picture.width * picture.height * 3);
    // Its corner is the white it was laid on; its middle is yellow.
    EXPECT_EQ(picture.rgb.substr(0, 3), std::string(3, static_cast<char>(0xFF)));
    const std::size_t middle = (picture.height / 2 * picture.width + picture.width / 2) * 3;
    const auto red = static_cast<unsigned char>(picture.rgb[middle]);
    const auto blue = static_cast<unsigned char>(picture.rgb[middle + 2]);
    EXPECT_GT(red - blue, 100) << int(red) << " " << int(blue);
    // The box stands on the baseline's level, an em or so wide.
    EXPECT_LT(picture.bottom, 0);
    EXPECT_GT(picture.top, 600);
    EXPECT_GT(picture.right - picture.left, 900);
    EXPECT_LT(picture.right - picture.left, 1400);
    EXPECT_NEAR(picture.right, face->advanceWidth(grinning), 50);
    // Smaller pictures for a smaller height.
    EXPECT_LE(face->picture(grinning, 20).height, 20u);
}

TEST(ColourBitmapFace, DamagedPictureFailsNamingTheFont) {
    if (!std::filesystem::exists(kColourFace)) GTEST_SKIP() << "no Noto Color Emoji";
    std::string bytes = readBytes(kColourFace);
    // Every picture's header loses its checksum.
    const std::string signature = "\x89PNG\r\n\x1a\n";
    int damaged = 0;
    for (std::size_t at = bytes.find(signature); at != std::string::npos && at + 33 < bytes.size();
         at = bytes.find(signature, at + 1)) {
        bytes[at + 29] = static_cast<char>(bytes[at + 29] ^ 0x5A);
        ++damaged;
    }
    ASSERT_GT(damaged, 1000);
    TempDir dir;
    const std::string copy = dir.file("Damaged Emoji.ttf");
    writeBytes(copy, bytes);
    const std::unique_ptr<FontFace> face = openColourBitmapFace(copy);
    ASSERT_NE(face, nullptr);
    try {
        face->picture(face->glyphFor(U'\U0001F600'), 72);
        FAIL() << "a damaged picture was decoded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(copy), std::string::npos) << error.what();
    }
}

TEST(ColourBitmapFace, SequencesAreShapedWholeAndDigitsStayInTheMainFace) {
    if (!std::filesystem::exists(kColourFace)) GTEST_SKIP() << "no Noto Color Emoji";
    SystemFontProvider provider;
    const FontFace* colour = provider.colourFace();
    ASSERT_NE(colour, nullptr);
    LineShaper shaper(provider, "Times-Roman", 2000);
    const std::u32string family = U"\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::u32string flag = U"\U0001F1EF\U0001F1F5";
    // The shaking face is only in the colour face, which has digits too.
    const std::u32string line =
        U"at " + family + U" 2026 " + flag + U"1\uFE0F\u20E3 \U0001FAE8 2026";
    const ShapedLine shaped = shaper.shape(line);
    EXPECT_EQ(shaped.unprintable, 0u);
    std::u32string text;
    int colourGlyphs = 0;
    for (const ShapedGlyph& glyph : shaped.glyphs) {
        text += glyph.text;
        if (glyph.face != colour) continue;
        ++colourGlyphs;
        EXPECT_TRUE(glyph.text == family || glyph.text == flag || glyph.text == U"1\uFE0F\u20E3" ||
                    glyph.text == U"\U0001FAE8")
            << std::string(glyph.text.begin(), glyph.text.end());
    }
    EXPECT_EQ(text, line);
    EXPECT_EQ(colourGlyphs, 4);
}

}  // namespace
}  // namespace leafwright
