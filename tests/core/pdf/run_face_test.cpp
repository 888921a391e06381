// Spaces, digits and punctuation take the face of the run they stand in,
// and the row measure follows the drawing character by character.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/fonts/document_fonts.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/pdf/embedded_row_measure.h"
#include "core/text/text_encoding.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

using testing::FixedFontProvider;

const std::string kLiberationSerif =
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";
const std::string kNotoSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

std::string utf8(std::u32string_view characters) {
    std::string bytes;
    for (const char32_t c : characters) appendUtf8(c, bytes);
    return bytes;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(RunFace, NeutralsTakeTheFaceOfTheCharacterBefore) {
    FixedFontProvider provider({kLiberationSerif, kNotoSansCjk});
    DocumentFonts fonts(provider, "Times-Roman");
    std::size_t run = 0;
    const auto hangul = fonts.show(U'\uD55C', 0, run);
    ASSERT_TRUE(hangul);
    ASSERT_NE(hangul->font, 0u);
    EXPECT_EQ(run, hangul->font);
    for (const char32_t neutral : std::u32string(U" 7.,(?)-")) {
        const auto shown = fonts.show(neutral, 0, run);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->font, hangul->font) << static_cast<char>(neutral);
        EXPECT_EQ(fonts.fonts()[shown->font].text(shown->code), std::u32string(1, neutral));
    }
    // A character that draws nothing leaves the run where it was.
    EXPECT_EQ(fonts.show(U'\u200B', 0, run)->font, 0u);
    EXPECT_EQ(run, hangul->font);
    // A letter of the primary face takes the run back; so does a run's start.
    EXPECT_EQ(fonts.show(U'a', 0, run)->font, 0u);
    EXPECT_EQ(fonts.show(U' ', 0, run)->font, 0u);
    EXPECT_EQ(fonts.show(U' ')->font, 0u);
    run = hangul->font;
    EXPECT_EQ(fonts.show(U'a', 0, run)->font, 0u);
    EXPECT_EQ(run, 0u);

    // Words of Hangul between spaces and digits change font once a line,
    // and again only at the Latin word.
    EmbeddedFontStrings strings(fonts, "10", false);
    std::string out;
    strings.beginLine(out);
    strings.addAll(out, U"\uD55C\uAD6D \uC5B4 12, \uD55C\uAD6D (3) \uC5B4");
    strings.endLine(out);
    EXPECT_EQ(count(out, " Tf"), 1u) << out;
    strings.beginLine(out);
    strings.addAll(out, U" \uD55C 1 word 2");
    strings.endLine(out);
    EXPECT_EQ(count(out, " Tf"), 4u)
        << out;  // the first line's, then F1, the Hangul, F1 for "word"
}

// Generated rows of Hangul, Han, Latin, digits, punctuation, spaces, tabs,
// characters that draw nothing and characters no face has: the measure
// finds each row exactly as wide as its drawing, in proportional and in
// monospaced text, whether a character was met before or not.
TEST(RunFace, TheRowMeasureAgreesWithTheDrawingOnEveryFace) {
    const std::u32string pool =
        U"\uD55C\uAD6D\uC5B4\uB2E8\u4E2D\u6587\u65E5\u672Cabcxyz0123456789 .,;:!?()[]-'\"#%&*/"
        U"\t\u200B\U0010FFFD";
    for (const bool monospaced : {false, true}) {
        SCOPED_TRACE(monospaced ? "monospaced" : "proportional");
        FixedFontProvider provider({kLiberationSerif, kNotoSansCjk});
        DocumentFonts fonts(provider, monospaced ? "Courier" : "Times-Roman");
        EmbeddedFontStrings strings(fonts, "10", monospaced);
        std::mt19937 random(monospaced ? 7 : 8);
        for (int trial = 0; trial < 300; ++trial) {
            std::u32string row;
            // Runs of one kind of character, as text has them.
            for (int runs = 1 + static_cast<int>(random() % 8); runs > 0; --runs) {
                const std::size_t from = random() % pool.size();
                for (int k = 1 + static_cast<int>(random() % 5); k > 0; --k)
                    row += pool[(from + random() % 3) % pool.size()];
            }
            std::string out;
            strings.beginLine(out);
            strings.addAll(out, row);
            const std::int64_t drawn = strings.strings().x();
            strings.endLine(out);
            const std::string text = utf8(row);
            bool pastEdge = true;
            EmbeddedRowMeasure exact(strings, nullptr, drawn);
            EXPECT_EQ(exact.fittingEnd(text, pastEdge), text.size()) << text;
            EXPECT_FALSE(pastEdge) << text;
            EXPECT_TRUE(exact.fits(text, text.size())) << text;
            if (drawn > 0) {
                EmbeddedRowMeasure narrower(strings, nullptr, drawn - 1);
                EXPECT_LT(narrower.fittingEnd(text, pastEdge), text.size()) << text;
                EXPECT_TRUE(pastEdge) << text;
                EXPECT_FALSE(narrower.fits(text, text.size())) << text;
            }
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace leafwright
