// The gauge's ways of summing many bytes at once against the plainest
// reading of the font's widths, over random lines of every length and
// position in a buffer, in every standard font.
#include "core/text/line_width_gauge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/tab_stops.h"

namespace leafwright {
namespace {

std::array<std::uint16_t, 256> widthsOf(const StandardFontWidths& font) {
    std::array<std::uint16_t, 256> widths{};
    for (int code = 0; code < 256; ++code)
        widths[code] = static_cast<std::uint16_t>(font.width(static_cast<unsigned char>(code)));
    return widths;
}

std::int64_t widthOf(const StandardFontWidths& font, std::string_view line) {
    std::int64_t sum = 0;
    for (char c : line) sum += font.width(static_cast<unsigned char>(c));
    return sum;
}

TEST(LineWidthGaugeTest, ManyLinesAtOnceAgreeWithAWidthSummedByteByByte) {
    std::mt19937 random(24);
    for (const StandardFontWidths& font : kStandardFontWidths) {
        // Lines of up to 300 bytes of printable ASCII with a few control
        // characters, one after another in a buffer, as a reader holds them.
        std::string buffer;
        std::vector<LineWidthGauge::Span> spans;
        for (int line = 0; line < 2000; ++line) {
            const std::size_t size = random() % 301;
            spans.push_back({buffer.size(), size});
            for (std::size_t i = 0; i < size; ++i) {
                const unsigned roll = random() % 100;
                buffer.push_back(roll == 0 ? char(random() % 32) : char(32 + random() % 95));
            }
            buffer.push_back('\n');
        }
        for (const auto steps : {LineWidthGauge::Steps::Widest, LineWidthGauge::Steps::AtMost32,
                                 LineWidthGauge::Steps::One})
            for (std::int64_t room : {0, 600, 40000, 100000, 150000}) {
                const LineWidthGauge gauge(widthsOf(font), 0, room, steps);
                std::uint64_t expected = 0;
                for (const auto& span : spans) {
                    const std::string_view line =
                        std::string_view(buffer).substr(span.at, span.size);
                    const bool tooWide = widthOf(font, line) > room;
                    expected += tooWide;
                    ASSERT_EQ(gauge.tooWide(line), tooWide) << font.baseFont << " " << line;
                    EXPECT_EQ(gauge.plainSum(line), widthOf(font, line));
                }
                // The batches as the reader makes them: only the lines that may
                // be too wide.
                std::vector<LineWidthGauge::Span> asked;
                for (const auto& span : spans)
                    if (gauge.mayBeTooWide(span.size)) asked.push_back(span);
                std::uint64_t counted = 0;
                for (std::size_t k = 0; k < asked.size(); k += 64)
                    counted += gauge.countTooWide(buffer, asked.data() + k,
                                                  std::min<std::size_t>(64, asked.size() - k));
                EXPECT_EQ(counted, expected) << font.baseFont << " room " << room;
            }
    }
}

TEST(LineWidthGaugeTest, LinesExactlyAsWideAsTheRoomFitAndTabsGoToTheirStops) {
    const StandardFontWidths& courier = *standardFontWidths("Courier");
    const std::int64_t stop = tabStopDistance(courier.spaceWidth());  // 8 columns
    const LineWidthGauge plain(widthsOf(courier), 0, 90 * 600);
    EXPECT_FALSE(plain.tooWide(std::string(90, 'x')));
    EXPECT_TRUE(plain.tooWide(std::string(91, 'x')));

    const LineWidthGauge tabbed(widthsOf(courier), stop, 90 * 600);
    // A tab after 3 columns goes to column 8; eleven tabs reach 88.
    EXPECT_FALSE(tabbed.tooWide(std::string(11, '\t') + "xx"));
    EXPECT_TRUE(tabbed.tooWide(std::string(11, '\t') + "xxx"));
    EXPECT_FALSE(tabbed.tooWide("abc\t" + std::string(82, 'x')));
    EXPECT_TRUE(tabbed.tooWide("abc\t" + std::string(83, 'x')));

    // Read in pieces, as a line that is not plain ASCII is: "é" is one
    // character of one column in both encodings.
    LineWidthGauge::Measure whole;
    whole.add(tabbed, "caf\xC3\xA9\t" + std::string(82, 'x'), SourceEncoding::Utf8);
    EXPECT_EQ(whole.width(), 90 * 600);
    EXPECT_FALSE(tabbed.tooWide(whole));
    LineWidthGauge::Measure windows1252;
    windows1252.add(tabbed, "caf\xE9\t" + std::string(83, 'x'), SourceEncoding::Windows1252);
    EXPECT_TRUE(tabbed.tooWide(windows1252));
}

TEST(LineWidthGaugeTest, EachLineIsCountedOnceHoweverOftenItIsRead) {
    const StandardFontWidths& courier = *standardFontWidths("Courier");
    LineWidthGauge gauge(widthsOf(courier), 0, 10 * 600);
    {
        LineTally first(&gauge);
        for (std::uint64_t line = 1; line <= 3; ++line)
            if (first.wants(line)) first.measured(line, true);
        // Read again from line 2 (a page measured, then written).
        for (std::uint64_t line = 2; line <= 5; ++line)
            if (first.wants(line)) first.measured(line, line == 5);
        LineTally second(&gauge);  // another reader, its own lines
        second.measuredThrough(4, 2);
    }
    EXPECT_EQ(gauge.counted(), 6u);
}

}  // namespace
}  // namespace leafwright
