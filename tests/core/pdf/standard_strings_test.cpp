// Lines in the standard font go through ShownLines, which takes plain ASCII
// many bytes at a time; drawing each decoded character alone must give the
// same content, pen position and columns, whatever the bytes and however a
// line is handed over in pieces (as the embedded fonts' quick paths are
// tested, drawn_one_at_a_time.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/shown_lines.h"
#include "core/pdf/tabbed_strings.h"
#include "core/text/text_encoding.h"
#include "drawn_one_at_a_time.h"

namespace leafwright {
namespace {

// Bytes that matter to the strings: escapes, tabs, controls, DEL, bytes
// above 0x7F (Mac OS Roman characters, Windows-1252 bytes, malformed UTF-8)
// and whole UTF-8 characters, among plain letters.
std::string generatedLine(std::mt19937& random) {
    // The pieces, split at "|", picked at random.
    static const std::vector<std::string> pieces = [] {
        const std::string all =
            "a|word| |(|)|\\|\t|\t\t|\x01|\x1b|\x7f|\x0c|\r|\xc3\xa9|\xe2\x80\x94|"
            "\xe2\x82\xac|\xe9|\x80|\xc3|\xf0\x9f\x98\x80|0123456789|The quick brown fox.";
        std::vector<std::string> split;
        for (std::size_t at = 0, bar; at <= all.size(); at = bar + 1) {
            bar = std::min(all.find('|', at), all.size());
            split.push_back(all.substr(at, bar - at));
        }
        return split;
    }();
    std::string line;
    const int count = std::uniform_int_distribution<int>(0, 60)(random);
    for (int k = 0; k < count; ++k)
        line += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    return line;
}

TEST(StandardFontStrings, PlainAsciiManyAtATimeDrawsAsOneAtATime) {
    for (const std::string font : {"Courier", "Times-Roman", "Helvetica-Bold"}) {
        const StandardFontWidths* widths = standardFontWidths(font);
        ASSERT_NE(widths, nullptr) << font;
        for (const SourceEncoding encoding : {SourceEncoding::Utf8, SourceEncoding::Windows1252}) {
            SCOPED_TRACE(font + (encoding == SourceEncoding::Utf8 ? " UTF-8" : " Windows-1252"));
            std::mt19937 random(11);
            ShownLines quick(*widths);
            TabbedStrings slow(*widths);
            std::string quickOut, slowOut;
            for (int n = 0; n < 3'000; ++n) {
                const std::string line = generatedLine(random);
                std::vector<std::size_t> starts;
                const std::u32string characters =
                    testing::decodedCharacters(line, encoding, starts);
                quick.beginLine(quickOut);
                slow.beginLine(slowOut);
                testing::addInPieces(quick, quickOut, line, starts, encoding, random, 6);
                for (const char32_t character : characters) slow.addStandard(slowOut, character);
                quick.endLine(quickOut);
                slow.endLine(slowOut);
                ASSERT_EQ(quickOut.size(), slowOut.size()) << "line " << n;
                ASSERT_TRUE(quickOut == slowOut) << "line " << n;
                ASSERT_EQ(quick.widestColumns(), slow.widestColumns()) << "line " << n;
            }
        }
    }
}

// The pen moves by the characters' widths, so a tab after plain text lands
// on the stop the widths reach, and the columns count escapes.
TEST(StandardFontStrings, PlainAsciiMovesThePenAndCountsEscapedColumns) {
    const StandardFontWidths& courier = *standardFontWidths("Courier");
    TabbedStrings strings(courier);
    std::string out;
    strings.beginLine(out);
    EXPECT_EQ(strings.addStandardAscii(out, "a(b)\\c\tnext"), 6u);
    EXPECT_EQ(strings.x(), 6 * 600);
    EXPECT_EQ(strings.addStandardAscii(out, "\tx"), 0u);
    EXPECT_EQ(strings.addStandardAscii(out, "\xc3\xa9"), 0u);
    strings.endLine(out);
    EXPECT_EQ(strings.widestColumns(), 9u);  // three escapes
    EXPECT_NE(out.find("(a\\(b\\)\\\\c)"), std::string::npos) << out;
}

}  // namespace
}  // namespace leafwright
