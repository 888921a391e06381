// Glyphs made of other glyphs in a TrueType subset, and widths set in CFF
// charstrings: the program must still read as the same font with the
// added glyphs, and no cut or malformed program may be read past its end.
#include "core/fonts/composite_glyphs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/fonts/charstring_width.h"
#include "core/fonts/truetype_face.h"

namespace leafwright {
namespace {

const std::string kSerif = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";

unsigned read16(const std::string& bytes, std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

// The bytes of a table of a TrueType program.
std::string tableOf(const std::string& program, const char* tag) {
    const unsigned count = read16(program, 4);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t record = 12 + 16 * i;
        if (program.compare(record, 4, tag, 4) != 0) continue;
        const std::size_t offset =
            (read16(program, record + 8) << 16) | read16(program, record + 10);
        const std::size_t length =
            (read16(program, record + 12) << 16) | read16(program, record + 14);
        return program.substr(offset, length);
    }
    return {};
}

TEST(CompositeGlyphs, AddedGlyphsDrawTheirComponentsWithTheirOwnAdvances) {
    const auto face = openTrueTypeFace(kSerif);
    const GlyphId a = face->glyphFor(U'a'), acute = face->glyphFor(U'\u0301');
    ASSERT_NE(a, 0u);
    ASSERT_NE(acute, 0u);
    const FontSubset subset = face->subset({a, acute});
    const std::optional<TrueTypeGlyphs> before = readTrueTypeGlyphs(subset.program);
    ASSERT_TRUE(before);
    const GlyphId newA = subset.newGlyphIds.at(a), newAcute = subset.newGlyphIds.at(acute);

    const std::optional<std::string> program = withCompositeGlyphs(
        subset.program, {{{{newA, 0, 0}, {newAcute, 250, -30}}, 1234}, {{{newA, 0, 0}}, 1500}});
    ASSERT_TRUE(program);
    const std::optional<TrueTypeGlyphs> after = readTrueTypeGlyphs(*program);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->unitsPerEm, before->unitsPerEm);
    ASSERT_EQ(after->glyphCount, before->glyphCount + 2);
    for (std::uint32_t g = 0; g < before->glyphCount; ++g)
        EXPECT_EQ(after->advances[g], before->advances[g]) << g;
    EXPECT_EQ(after->advances[before->glyphCount], 1234);
    EXPECT_EQ(after->advances[before->glyphCount + 1], 1500);

    // The first added glyph: a composite of the letter and the accent moved
    // by its offset, the box around both.
    const std::string loca = tableOf(*program, "loca"), glyf = tableOf(*program, "glyf");
    const std::size_t at =
        (read16(loca, 4 * before->glyphCount) << 16) | read16(loca, 4 * before->glyphCount + 2);
    EXPECT_EQ(read16(glyf, at), 0xFFFFu);
    EXPECT_EQ(read16(glyf, at + 10) & 0x0023u, 0x0023u);  // words, offsets, more
    EXPECT_EQ(read16(glyf, at + 12), newA);
    EXPECT_EQ(read16(glyf, at + 18) & 0x0020u, 0u);  // the last component
    EXPECT_EQ(read16(glyf, at + 20), newAcute);
    EXPECT_EQ(read16(glyf, at + 22), 250u);
    EXPECT_EQ(static_cast<std::int16_t>(read16(glyf, at + 24)), -30);
    EXPECT_EQ(read16(tableOf(*program, "maxp"), 4), after->glyphCount);

    // The whole file's checksum comes out as the format asks.
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 3 < program->size(); i += 4)
        sum += (read16(*program, i) << 16) | read16(*program, i + 2);
    EXPECT_EQ(program->size() % 4, 0u);
    EXPECT_EQ(sum, 0xB1B0AFBAu);

    // A component past the glyphs is refused, not written.
    EXPECT_FALSE(withCompositeGlyphs(subset.program, {{{{before->glyphCount, 0, 0}}, 10}}));
}

TEST(CompositeGlyphs, ACutOrDamagedProgramIsRefusedWithoutReadingPastIt) {
    const auto face = openTrueTypeFace(kSerif);
    const FontSubset subset = face->subset({face->glyphFor(U'x'), face->glyphFor(U'y')});
    const std::vector<CompositeGlyph> composites = {{{{1, 5, 5}}, 700}};
    for (std::size_t length = 0; length < subset.program.size(); length += 7) {
        const std::string cut = subset.program.substr(0, length);
        readTrueTypeGlyphs(cut);
        withCompositeGlyphs(cut, composites);
    }
    // Damage the loca table so that a glyph ends before it starts.
    std::string damaged = subset.program;
    const std::string loca = tableOf(damaged, "loca");
    const std::size_t at = damaged.find(loca);
    ASSERT_NE(at, std::string::npos);
    const bool longOffsets = read16(tableOf(damaged, "head"), 50) != 0;
    for (std::size_t k = 1; k <= (longOffsets ? 4u : 2u); ++k) damaged[at + loca.size() - k] = 0;
    EXPECT_FALSE(readTrueTypeGlyphs(damaged));
    EXPECT_FALSE(withCompositeGlyphs(damaged, composites));
}

// Type 2 charstrings: a width before the first stem or move, or none (the
// default width), possibly after a subroutine call.
TEST(CharStringWidth, TheWidthIsSetWhereverTheCharstringStartsIt) {
    const std::string endchar(1, '\x0e'), rmoveto(1, '\x15'), hstem(1, '\x01');
    auto number = [](int value) { return std::string(1, static_cast<char>(value + 139)); };
    const Subroutine none = [](bool, long) { return std::nullopt; };
    // nominal 100, default 500: a written 50 means 150.
    const std::string body = number(10) + number(20) + rmoveto + endchar;
    EXPECT_EQ(withCharStringWidth(number(50) + body, 150, 100, 500, none), number(50) + body);
    EXPECT_EQ(withCharStringWidth(number(50) + body, 180, 100, 500, none), number(80) + body);
    // No width written: it is the default; a new one goes first.
    EXPECT_EQ(withCharStringWidth(body, 500, 100, 500, none), body);
    EXPECT_EQ(withCharStringWidth(body, 160, 100, 500, none), number(60) + body);
    // Wide values take the longer forms; the rest stays.
    const std::optional<std::string> wide = withCharStringWidth(body, 1300, 100, 500, none);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->substr(wide->size() - body.size()), body);
    EXPECT_EQ(wide->size(), body.size() + 3);  // 28 and two bytes for 1200
    // An empty glyph: endchar alone, or a width and endchar.
    EXPECT_EQ(withCharStringWidth(endchar, 120, 100, 500, none), number(20) + endchar);
    EXPECT_EQ(withCharStringWidth(number(7) + endchar, 120, 100, 500, none), number(20) + endchar);

    // Stems in a local subroutine (bias 107 for a small INDEX): the width
    // pushed before the call is the charstring's own.
    const std::string stems = number(1) + number(2) + hstem + std::string(1, '\x0b');
    const Subroutine local = [&](bool global, long index) -> std::optional<std::string_view> {
        if (global || index != -107) return std::nullopt;
        return std::string_view(stems);
    };
    const std::string call = number(-107) + std::string(1, '\x0a');
    EXPECT_EQ(withCharStringWidth(number(30) + call + endchar, 110, 100, 500, local),
              number(10) + call + endchar);
    EXPECT_EQ(withCharStringWidth(call + endchar, 110, 100, 500, local),
              number(10) + call + endchar);
    // A width inside the subroutine cannot be changed from outside.
    const std::string widthInside = number(9) + stems;
    const Subroutine inside = [&](bool, long) -> std::optional<std::string_view> {
        return std::string_view(widthInside);
    };
    EXPECT_FALSE(withCharStringWidth(call + endchar, 110, 100, 500, inside));
    // Malformed: cut inside a number, no operator, an unknown call.
    EXPECT_FALSE(withCharStringWidth(std::string(1, '\x1c'), 110, 100, 500, none));
    EXPECT_FALSE(withCharStringWidth(number(1) + number(2), 110, 100, 500, none));
    EXPECT_FALSE(withCharStringWidth(call + endchar, 110, 100, 500, none));
}

}  // namespace
}  // namespace leafwright
