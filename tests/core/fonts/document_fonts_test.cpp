#include "core/fonts/document_fonts.h"

#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>

#include "core/fonts/font_objects.h"
#include "core/platform/file_error.h"
#include "support/fileless_face.h"
#include "support/fixed_font_provider.h"
#include "support/heap_in_use.h"

namespace leafwright {
namespace {

using testing::FixedFontProvider;

const std::string kFontFolder = "/usr/share/fonts/truetype/";
const std::string kLiberationSerif = kFontFolder + "liberation2/LiberationSerif-Regular.ttf";
const std::string kDejaVuSans = kFontFolder + "dejavu/DejaVuSans.ttf";
const std::string kDroidFallback = kFontFolder + "droid/DroidSansFallbackFull.ttf";

TEST(DocumentFonts, CharactersSharingAGlyphKeepTheirOwnCodes) {
    // The CJK face draws the compatibility ideograph U+F901 with the glyph
    // of U+66F4.
    FixedFontProvider provider({kDroidFallback});
    DocumentFonts fonts(provider, "Times-Roman");
    const FontFace& face = fonts.fonts().front().face();
    ASSERT_NE(face.glyphFor(U'\uF901'), 0u);
    ASSERT_EQ(face.glyphFor(U'\uF901'), face.glyphFor(U'\u66F4'));  // the premise

    const auto compatibility = fonts.show(U'\uF901');
    const auto unified = fonts.show(U'\u66F4');
    ASSERT_TRUE(compatibility && unified);
    EXPECT_NE(compatibility->code, unified->code);
    EXPECT_EQ(compatibility->width, unified->width);
    EXPECT_EQ(fonts.show(U'\uF901')->code, compatibility->code);  // codes are kept
    EXPECT_EQ(compatibility->code, 1);                            // in order of first use, from 1
    EXPECT_EQ(unified->code, 2);

    const auto objects = embeddedFontObjects(fonts.fonts().front(), 7, 20);
    const std::string& toUnicode = objects[4].text;
    EXPECT_NE(toUnicode.find("<0001> <F901>"), std::string::npos) << toUnicode;
    EXPECT_NE(toUnicode.find("<0002> <66F4>"), std::string::npos) << toUnicode;
    // Both codes lead to the one glyph: the map repeats its 2-byte id.
    const std::string& cidToGid = objects[3].text;
    const std::size_t data = cidToGid.find("stream\n") + 7;
    EXPECT_EQ(cidToGid.substr(data + 4, 4), cidToGid.substr(data + 8, 4)) << cidToGid;
    EXPECT_NE(cidToGid.substr(data + 4, 4), "0000");

    // The angstrom sign and A with ring still come back as themselves,
    // whichever faces draw them.
    FixedFontProvider western({kLiberationSerif, kDejaVuSans});
    DocumentFonts latin(western, "Times-Roman");
    const auto angstrom = latin.show(U'\u212B');
    const auto ring = latin.show(U'\u00C5');
    ASSERT_TRUE(angstrom && ring);
    EXPECT_TRUE(angstrom->font != ring->font || angstrom->code != ring->code);
}

TEST(DocumentFonts, FallbackFacesAreAddedInOrderOfFirstUse) {
    FixedFontProvider provider({kLiberationSerif, kDejaVuSans, kDroidFallback});
    DocumentFonts fonts(provider, "Times-Roman");
    EXPECT_EQ(fonts.show(U'\u4E2D')->font, 1u);  // Han: only the CJK face
    ASSERT_EQ(fonts.fonts()[0].face().glyphFor(U'\u2654'), 0u);
    EXPECT_EQ(fonts.show(U'\u2654')->font, 2u);  // chess king: DejaVu before Droid
    EXPECT_EQ(fonts.show(U'A')->font, 0u);
    EXPECT_EQ(fonts.show(U'\u20AC')->font, 0u);  // Liberation has the euro
    EXPECT_EQ(fonts.fonts().size(), 3u);
    EXPECT_EQ(&fonts.fonts()[1].face(), provider.fallbackFor("", U'\u4E2D'));

    // Nothing draws a private-use character of plane 16, a lone surrogate or
    // a number past Unicode.
    EXPECT_FALSE(fonts.show(U'\U0010FFFD'));
    EXPECT_FALSE(fonts.show(char32_t{0xD800}));
    EXPECT_FALSE(fonts.show(char32_t{0x110000}));
}

TEST(DocumentFonts, InvisibleCharactersDrawNothingInTheCurrentFont) {
    FixedFontProvider provider({kLiberationSerif, kDroidFallback});
    DocumentFonts fonts(provider, "Times-Roman");
    const auto han = fonts.show(U'\u4E2D');
    ASSERT_TRUE(han);
    std::set<std::uint16_t> codes;
    for (char32_t invisible : {U'\t', U'\x01', U'\x7F', U'\u200B', U'\uFEFF', U'\u00AD'}) {
        const auto shown = fonts.show(invisible, han->font);
        ASSERT_TRUE(shown) << std::hex << static_cast<std::uint32_t>(invisible);
        EXPECT_EQ(shown->font, han->font);
        EXPECT_EQ(shown->width, 0);
        codes.insert(shown->code);
        const EmbeddedFont& font = fonts.fonts()[shown->font];
        EXPECT_EQ(font.glyph(shown->code), 0u);
        EXPECT_EQ(font.text(shown->code), std::u32string(1, invisible));
    }
    EXPECT_EQ(codes.size(), 6u);  // each comes back as itself
    EXPECT_EQ(fonts.show(U'\t', 0)->font, 0u);
    EXPECT_GT(fonts.spaceWidth(), 0);
}

TEST(DocumentFonts, AFontWhoseCodesRunOutContinuesInAnotherFontOfTheSameFace) {
    // A glyph for every character, to fill a font's codes without a real font.
    testing::FilelessProvider provider(testing::FilelessFace(0x110000));
    DocumentFonts fonts(provider, "Courier");
    const char32_t count = 70000;
    for (char32_t c = 0x20000; c < 0x20000 + count; ++c) ASSERT_TRUE(fonts.show(c));
    ASSERT_EQ(fonts.fonts().size(), 2u);
    EXPECT_EQ(fonts.fonts()[0].codeCount(), EmbeddedFont::kMaxCodes);
    EXPECT_EQ(fonts.fonts()[1].codeCount(), count - EmbeddedFont::kMaxCodes);
    EXPECT_EQ(&fonts.fonts()[1].face(), &fonts.fonts()[0].face());
    // A character met before keeps its font and code.
    const auto again = fonts.show(0x20000);
    EXPECT_EQ(again->font, 0u);
    EXPECT_EQ(again->code, 1);
}

// A shaped text may give every cluster a code of its own, and the document
// holds them all until its text maps are written after the pages: they cost
// about what their text does, not a map node and a string each.
TEST(DocumentFonts, DistinctClustersCostAboutTheirText) {
    testing::FilelessProvider provider(testing::FilelessFace(0x800));
    DocumentFonts fonts(provider, "Times-Roman");
    const FontFace& face = fonts.fonts().front().face();
    // A letter and three combining marks, a different cluster for each n:
    // 7 bytes in UTF-8, 16 as characters.
    auto cluster = [](std::size_t n) {
        std::u32string text(1, U'a' + static_cast<char32_t>(n % 26));
        for (std::size_t rest = n / 26, k = 0; k < 3; ++k, rest /= 112)
            text += static_cast<char32_t>(0x300 + rest % 112);
        return text;
    };
    const std::size_t count = 3 * EmbeddedFont::kMaxCodes;
    const std::size_t before = testing::heapBytesInUse();
    for (std::size_t n = 0; n < count; ++n) {
        const ShownCharacter shown =
            fonts.showGlyph(face, static_cast<GlyphId>(1 + n % 26), cluster(n), 500, 0);
        ASSERT_EQ(shown.font, n / EmbeddedFont::kMaxCodes);
        ASSERT_EQ(shown.code, n % EmbeddedFont::kMaxCodes + 1);
    }
    const std::size_t held = testing::heapBytesInUse() - before;
    EXPECT_LT(held, count * 2 * 16) << held / count << " bytes a cluster";
    std::cout << held / count << " bytes a cluster\n";
    ASSERT_EQ(fonts.fonts().size(), 3u);

    // Every cluster met again keeps its font, code and width, whichever
    // font it is in; the same text with another glyph is another code.
    for (std::size_t n = 0; n < count; n += 997) {
        const ShownCharacter again =
            fonts.showGlyph(face, static_cast<GlyphId>(1 + n % 26), cluster(n), 700, 2);
        EXPECT_EQ(again.font, n / EmbeddedFont::kMaxCodes);
        EXPECT_EQ(again.code, n % EmbeddedFont::kMaxCodes + 1);
        EXPECT_EQ(again.width, 500);
        EXPECT_EQ(fonts.fonts()[again.font].text(again.code), cluster(n));
    }
    EXPECT_EQ(fonts.showGlyph(face, 30, cluster(0), 500, 0).font, 3u);
}

TEST(DocumentFonts, FontFileThatCannotBeEmbeddedIsAFileError) {
    EXPECT_THROW(FixedFontProvider({"/nonexistent/font.ttf"}), FileError);
    EXPECT_THROW(FixedFontProvider({"/etc/passwd"}), FileError);
}

}  // namespace
}  // namespace leafwright
