// The first pass's quick word on whether any line needs cutting into rows,
// against the measure the row cutter itself uses, on generated lines within
// a few glyphs of the text area's edge: both kinds of standard font, tabs,
// CR LF ends, UTF-8 and Windows-1252 bytes, blocks cut anywhere and texts
// scanned in two halves.
#include "core/pdf/standard_row_fit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/pdf/wrapped_lines.h"
#include "core/pdf/wrapped_pages.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "core/text/fit_scan.h"
#include "core/text/text_encoding.h"

namespace leafwright {
namespace {

int between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Whether the row cutter's measure finds a line of the text too wide, the
// text read in `encoding` (Windows-1252 bytes measured as their UTF-8, as
// the rows are cut); nullopt when it holds a character the standard font
// cannot draw, which is measured otherwise.
std::optional<bool> anyLineTooWide(const ConversionSettings& settings, std::string_view text,
                                   SourceEncoding encoding) {
    StandardRowMeasure measure(rowFontWidths(settings), rowAreaWidth(settings, 0));
    bool tooWide = false;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (end < text.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string utf8;
        for (std::size_t i = 0; i < line.size();) {
            char32_t character;
            i += decodeCharacter(line, i, encoding, character);
            appendUtf8(character, utf8);
        }
        bool pastEdge = false;
        measure.fittingEnd(utf8, pastEdge);
        tooWide = tooWide || pastEdge;
        at = end + 1;
    }
    if (measure.metOtherText()) return std::nullopt;
    return tooWide;
}

// The kinds of text: plain ASCII (summed many lines at a time), with tabs,
// with letters beyond ASCII in UTF-8 or as Windows-1252 bytes.
enum class Kind { Plain, Tabs, Utf8, Windows1252 };

// A line whose width in the row measure lands near the text area's edge:
// characters are added until the next would pass a target a glyph or two
// to either side of it.
std::string lineNear(std::mt19937& random, const ConversionSettings& settings, Kind kind) {
    static const std::vector<std::string> ascii = {"a", "W", "m", "i",    "l",
                                                   " ", "(", "0", "\x01", "-"};
    static const std::vector<std::string> utf8 = {"é", "—", "ü", "“", "©"};
    static const std::vector<std::string> bytes1252 = {"\xE9", "\x97", "\xFC", "\x93", "\xA9"};
    const SourceEncoding encoding =
        kind == Kind::Windows1252 ? SourceEncoding::Windows1252 : SourceEncoding::Utf8;
    const std::int64_t target = rowAreaWidth(settings, 0) + between(random, -1200, 400);
    std::string line, measured;
    for (;;) {
        const int roll = between(random, 0, 9);
        const std::vector<std::string>& from = roll > 0                    ? ascii
                                               : kind == Kind::Utf8        ? utf8
                                               : kind == Kind::Windows1252 ? bytes1252
                                                                           : ascii;
        const std::string piece = roll == 0 && kind == Kind::Tabs
                                      ? std::string("\t")
                                      : from[between(random, 0, static_cast<int>(from.size()) - 1)];
        std::string nextMeasured = measured;
        for (std::size_t i = 0; i < piece.size();) {
            char32_t character;
            i += decodeCharacter(piece, i, encoding, character);
            appendUtf8(character, nextMeasured);
        }
        StandardRowMeasure edge(rowFontWidths(settings), target);
        bool pastEdge = false;
        edge.fittingEnd(nextMeasured, pastEdge);
        if (pastEdge) return line;
        line += piece;
        measured = std::move(nextMeasured);
    }
}

// Scans the text in blocks of random sizes, in two halves cut at a random
// line start now and then, as the first pass does.
FitScan scanned(std::mt19937& random, const RowFit& fit, std::string_view text) {
    auto feed = [&](FitScan& scan, std::string_view part) {
        while (!part.empty()) {
            const std::size_t size = std::min<std::size_t>(part.size(), between(random, 1, 300));
            scan.add(part.substr(0, size));
            part.remove_prefix(size);
        }
    };
    FitScan scan(fit);
    const std::size_t middle = text.find('\n', between(random, 0, static_cast<int>(text.size())));
    if (middle != std::string_view::npos && between(random, 0, 1)) {
        FitScan rest(fit);
        rest.startAfterALine();
        feed(scan, text.substr(0, middle + 1));
        feed(rest, text.substr(middle + 1));
        scan.merge(rest);
    } else {
        feed(scan, text);
    }
    scan.finish();
    return scan;
}

TEST(StandardRowFitProperty, TheQuickDecisionAgreesWithTheRowMeasureNearTheEdge) {
    std::mt19937 random(20261208);
    int tooWide = 0, fitting = 0;
    for (const char* font : {"Courier", "Times-Roman"}) {
        for (int n = 0; n < 800; ++n) {
            ChosenValues chosen = defaultConfigValues();
            chosen.font = font;
            chosen.leftMargin = std::to_string(between(random, 10, 150));
            chosen.more.wrap = WrapMode::WordChar;
            ConversionSettings settings;
            ASSERT_EQ(deriveSettings(settings, chosen), 0);
            const StandardRowFit fit(settings, 0);
            const Kind kind = static_cast<Kind>(n % 4);
            const bool windows1252 = kind == Kind::Windows1252;
            std::string text;
            for (int lines = between(random, 1, 6); lines > 0; --lines) {
                text += between(random, 0, 2) ? lineNear(random, settings, kind) : "short";
                if (lines > 1 || between(random, 0, 1))
                    text += between(random, 0, 3) ? "\n" : "\r\n";
            }
            const FitScan scan = scanned(random, fit.rule(), text);
            for (const SourceEncoding encoding :
                 {SourceEncoding::Utf8, SourceEncoding::Windows1252}) {
                if (encoding == SourceEncoding::Utf8 && windows1252) continue;
                const std::optional<bool> expected = anyLineTooWide(settings, text, encoding);
                if (!expected) continue;
                ASSERT_EQ(scan.mayCut(encoding), *expected)
                    << font << " margin " << chosen.leftMargin << " read as "
                    << (encoding == SourceEncoding::Utf8 ? "UTF-8" : "Windows-1252") << ":\n"
                    << text;
                (*expected ? tooWide : fitting) += 1;
            }
        }
    }
    // Both answers were put to the test many times.
    EXPECT_GT(tooWide, 300);
    EXPECT_GT(fitting, 300);
}

// Without wrapping only form feeds (when they end pages) and lines longer
// than a row may hold are cut, however wide a line is.
TEST(StandardRowFit, UnwrappedLinesAreCutOnlyAtFormFeedsAndTheirLength) {
    ChosenValues chosen = defaultConfigValues();
    chosen.more.formFeed = FormFeedMode::Page;
    ConversionSettings settings;
    ASSERT_EQ(deriveSettings(settings, chosen), 0);
    const StandardRowFit fit(settings, 0);
    auto mayCut = [&](const std::string& text) {
        FitScan scan(fit.rule());
        scan.add(text);
        scan.finish();
        return scan.mayCut(SourceEncoding::Utf8);
    };
    EXPECT_FALSE(mayCut(std::string(3000, 'W') + "\nshort\n"));
    EXPECT_TRUE(mayCut("a page\fthe next\n"));
    EXPECT_TRUE(mayCut("short\n" + std::string(LineWrapper::kLongestRow, '\x01')));
}

}  // namespace
}  // namespace leafwright
