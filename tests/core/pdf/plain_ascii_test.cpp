// Plain ASCII is drawn and measured many characters at a time once its
// codes are known: over generated lines of ASCII among Hangul, Han,
// accented and other letters, tabs, control characters, characters that
// draw nothing and characters no face has, both give exactly what the
// characters taken one at a time give.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/fonts/document_fonts.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/pdf/embedded_row_measure.h"
#include "core/pdf/shown_lines.h"
#include "core/text/text_encoding.h"
#include "drawn_one_at_a_time.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

using testing::FixedFontProvider;

const std::u32string kOthers =
    U"\uD55C\uAD6D\u4E2D\u6587\u00E9\u0142\u00A9\u201C\u2014\u0436\t\u0001\u007F\u200B\u0301"
    U"\U0010FFFD";

// Mostly printable ASCII, in words, with a few others among it.
std::u32string generatedLine(std::mt19937& random) {
    std::u32string line;
    for (int words = static_cast<int>(random() % 14); words > 0; --words) {
        if (random() % 5 == 0) line += kOthers[random() % kOthers.size()];
        for (int k = 1 + static_cast<int>(random() % 8); k > 0; --k)
            line += static_cast<char32_t>(0x20 + random() % 0x5F);
        if (random() % 3 == 0) line += U' ';
    }
    return line;
}

std::string utf8(std::u32string_view characters) {
    std::string bytes;
    for (const char32_t c : characters) appendUtf8(c, bytes);
    return bytes;
}

// Lines handed over in pieces cut anywhere between characters.
TEST(PlainAscii, DrawnAsOneCharacterAtATime) {
    for (const bool monospaced : {false, true}) {
        SCOPED_TRACE(monospaced ? "monospaced" : "proportional");
        testing::expectDrawnAsOneAtATime(
            {.monospaced = monospaced, .seed = monospaced ? 21u : 22u},
            [](std::mt19937& random) { return utf8(generatedLine(random)); });
    }
}

// One measure kept for a whole document, as a conversion keeps it, finds
// each row's fitting end where the drawing of its starts says it is.
TEST(PlainAscii, MeasuredAsDrawn) {
    for (const bool monospaced : {false, true}) {
        SCOPED_TRACE(monospaced ? "monospaced" : "proportional");
        FixedFontProvider provider(testing::kLatinAndCjkFaces);
        DocumentFonts fonts(provider, monospaced ? "Courier" : "Times-Roman");
        EmbeddedFontStrings strings(fonts, "10", monospaced);
        const std::vector<std::int64_t> widths = {1'500, 4'000, 9'000};
        std::vector<EmbeddedRowMeasure> measures;
        measures.reserve(widths.size());
        for (const std::int64_t width : widths) measures.emplace_back(strings, nullptr, width);
        std::mt19937 random(monospaced ? 31 : 32);
        for (int row = 0; row < 600; ++row) {
            const std::u32string characters = generatedLine(random);
            const std::string text = utf8(characters);
            // The drawn width of each start of the row, in characters.
            std::vector<std::int64_t> drawn;
            std::vector<std::size_t> ends;
            std::string out;
            for (std::size_t k = 0; k <= characters.size(); ++k) {
                strings.beginLine(out);
                strings.addAll(out, characters.substr(0, k));
                drawn.push_back(strings.strings().x());
                strings.endLine(out);
                out.clear();
                ends.push_back(utf8(characters.substr(0, k)).size());
            }
            for (std::size_t m = 0; m < measures.size(); ++m) {
                std::size_t fitting = 0;
                while (fitting < characters.size() && drawn[fitting + 1] <= widths[m]) ++fitting;
                bool pastEdge = false;
                measures[m].startRow(false);
                ASSERT_EQ(measures[m].fittingEnd(text, pastEdge), ends[fitting])
                    << text << " in " << widths[m];
                EXPECT_EQ(pastEdge, fitting < characters.size()) << text;
            }
        }
    }
}

}  // namespace
}  // namespace leafwright
