// Where a page's furniture in the standard font puts each text, read back
// by following its text operators as a PDF reader does: every text is
// written by a move from the one before, so a wrong step, a digit count
// counted on wrongly or a number held back and lost shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/page_furniture.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"

namespace leafwright {
namespace {

// A text shown, where its line started, in thousandths of a point.
struct Shown {
    std::string text;
    std::int64_t x = 0, y = 0;
};

// Follows BT, Td, TL, Tj and ' over the bytes; other operators are passed
// by. Counts the text objects and artifacts opened and closed.
struct Reading {
    std::vector<Shown> shown;
    int textObjects = 0, openText = 0, openArtifacts = 0;
};

Reading follow(const std::string& content) {
    Reading reading;
    std::vector<double> operands;
    std::string text;
    std::int64_t x = 0, y = 0, leading = 0;
    for (std::size_t at = 0; at < content.size();) {
        const char c = content[at];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++at;
        } else if (c == '(') {
            text.clear();
            for (++at; content.at(at) != ')'; ++at) {
                if (content[at] == '\\') ++at;
                text += content.at(at);
            }
            ++at;
        } else {
            const std::size_t end = content.find_first_of(" \r\n()/", at + 1);
            const std::string word = content.substr(at, end - at);
            at = end == std::string::npos ? content.size() : end;
            if (word[0] == '/') continue;
            if (std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '-' ||
                word[0] == '.') {
                operands.push_back(std::stod(word));
                continue;
            }
            auto milli = [&](std::size_t k) { return std::llround(operands.at(k) * 1000); };
            if (word == "BT") {
                x = y = 0;
                ++reading.textObjects;
                ++reading.openText;
            } else if (word == "ET") {
                --reading.openText;
            } else if (word == "BMC") {
                ++reading.openArtifacts;
            } else if (word == "EMC") {
                --reading.openArtifacts;
            } else if (word == "Td") {
                x += milli(0);
                y += milli(1);
            } else if (word == "TL") {
                leading = milli(0);
            } else if (word == "Tj" || word == "'") {
                EXPECT_EQ(reading.openText, 1) << word;
                if (word == "'") y -= leading;
                reading.shown.push_back({text, x, y});
            }
            operands.clear();
        }
    }
    return reading;
}

std::int64_t widthMilli(const std::string& text, double size) {
    const StandardFontWidths& times = *standardFontWidths("Times-Roman");
    double units = 0;
    for (const char c : text) units += times.width(static_cast<unsigned char>(c));
    return std::llround(units * size);
}

ConversionSettings settingsWith(int every, int start) {
    ChosenValues chosen = defaultConfigValues();  // Times-Roman 14 on A4
    chosen.more.header = "{file}|{page}/{pages}|p. {page:03}";
    chosen.more.footer = "{page}|x|";
    chosen.more.lineNumbers = every;
    chosen.more.lineNumberStart = start;
    ConversionSettings settings;
    EXPECT_EQ(deriveSettings(settings, chosen), 0);
    return settings;
}

TEST(PageFurniturePlacement, EveryTextStandsWhereItsRuleSays) {
    struct Case {
        int every, start;
        std::uint64_t page, firstLine, rows;
    };
    // Page numbers and line numbers crossing into more digits mid-page.
    const std::vector<Case> cases = {{1, 1, 0, 0, 47},      {1, 0, 8, 9970, 47},
                                     {5, 1, 9, 92, 47},     {3, 998, 99, 0, 47},
                                     {1, 1, 999, 99990, 5}, {50, 1, 2, 60, 20}};
    const double small = 14 * 0.8;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.every << " " << c.start << " " << c.page);
        const ConversionSettings settings = settingsWith(c.every, c.start);
        PageFurniture furniture(settings, "/some/where/notes.txt", 123456, 4321, nullptr);
        std::string out;
        furniture.append(out, c.page, c.firstLine, c.rows);
        const Reading reading = follow(out);
        EXPECT_EQ(reading.textObjects, 1);
        EXPECT_EQ(reading.openText, 0);
        EXPECT_EQ(reading.openArtifacts, 0);
        ASSERT_GE(reading.shown.size(), 5u) << out;

        const std::string page = std::to_string(c.page + 1);
        const std::string padded = std::string(page.size() < 3 ? 3 - page.size() : 0, '0') + page;
        const std::vector<std::string> bands = {"notes.txt", page + "/4321", "p. " + padded, page,
                                                "x"};
        const std::int64_t left = 36000, right = 559000, middle = 595000 / 2;
        const std::int64_t header = 789900, footer = 17100;  // the first and the last row
        for (std::size_t k = 0; k < bands.size(); ++k) {
            const Shown& s = reading.shown[k];
            EXPECT_EQ(s.text, bands[k]);
            EXPECT_EQ(s.y, k < 3 ? header : footer) << s.text;
            const std::int64_t width = widthMilli(s.text, small);
            if (k == 0 || k == 3) {
                EXPECT_EQ(s.x, left) << s.text;
            } else if (k == 2) {
                EXPECT_LE(std::abs(s.x + width - right), 1) << s.text;
            } else {
                EXPECT_LE(std::abs(s.x + width / 2 - middle), 1) << s.text;
            }
        }

        // The numbers: every N-th line's, each on its row, all ending one
        // digit short of the text, whose left edge moved right by the gutter.
        std::vector<std::uint64_t> expected;
        for (std::uint64_t line = c.firstLine; line < c.firstLine + c.rows; ++line)
            if (line % static_cast<std::uint64_t>(c.every) == 0) expected.push_back(line);
        ASSERT_EQ(reading.shown.size(), bands.size() + expected.size()) << out;
        const std::int64_t textLeft = std::llround(std::stod(furniture.bodyLeft()) * 1000);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const Shown& s = reading.shown[bands.size() + k];
            const std::uint64_t line = expected[k];
            EXPECT_EQ(s.text, std::to_string(line + static_cast<std::uint64_t>(c.start)));
            const auto row = static_cast<std::int64_t>(line - c.firstLine + 1);
            EXPECT_EQ(s.y, header - row * 16100) << s.text;
            EXPECT_LE(
                std::abs(s.x + widthMilli(s.text, small) - (textLeft - widthMilli("0", small))), 1)
                << s.text;
        }
    }
}

// On wrapped pages the rows come one by one, a continued row carrying no
// number: each number still stands on its line's first row.
TEST(PageFurniturePlacement, RowsAddedOneByOneKeepTheirPlaces) {
    const ConversionSettings settings = settingsWith(1, 1);
    PageFurniture furniture(settings, "notes.txt", 5000, 10, nullptr);
    std::string out;
    PageFurniture::Page page(furniture, out, 3);
    std::vector<std::pair<std::uint64_t, std::int64_t>> numbered;  // line, row
    std::uint64_t line = 95;
    for (std::int64_t row = 1; row <= 47; ++row) {
        const bool first = row % 3 != 2;  // every third row continues the line before
        if (first) {
            ++line;
            numbered.emplace_back(line, row);
        }
        page.addRow(line, first);
    }
    page.finish();
    const Reading reading = follow(out);
    EXPECT_EQ(reading.openText, 0);
    EXPECT_EQ(reading.openArtifacts, 0);
    ASSERT_EQ(reading.shown.size(), 5 + numbered.size()) << out;  // the bands' five fields
    for (std::size_t k = 0; k < numbered.size(); ++k) {
        const Shown& s = reading.shown[5 + k];
        EXPECT_EQ(s.text, std::to_string(numbered[k].first + 1));
        EXPECT_EQ(s.y, 789900 - numbered[k].second * 16100) << s.text;
    }
}

// What a PDF reader computes for a page that calls the furniture's form:
// the form's content drawn where the call stands.
std::string withFormDrawn(std::string page, const std::string& form) {
    const std::string call = std::string(PageFurniture::kFormName) + " Do\r\n";
    const std::size_t at = page.find(call);
    if (at != std::string::npos) page.replace(at, call.size(), form);
    return page;
}

bool byPlace(const Shown& a, const Shown& b) {
    return std::tie(a.y, a.x, a.text) < std::tie(b.y, b.x, b.text);
}

std::vector<Shown> sortedShown(const std::string& content) {
    std::vector<Shown> shown = follow(content).shown;
    std::sort(shown.begin(), shown.end(), byPlace);
    return shown;
}

// Drawing what no page changes once, in a form each page calls, puts every
// text where the page drew it itself, and leaves the page only what shows
// its number: the page-numbered fields and the line numbers.
TEST(PageFurniturePlacement, AFormCalledByEachPageDrawsWhatThePageDrewItself) {
    struct Case {
        std::string header, footer;
        int every;
        bool rule;
    };
    const std::vector<Case> cases = {
        {"{file}|{page}/{pages}|p. {page:03}", "{page}|x|", 1, true},
        {"{path}|Notes|{file}", "", 0, true},           // nothing by page: the form alone
        {"||{page} of {pages}", "{page}||", 5, false},  // nothing fixed, no rule: no form
        {"", "{pages}||", 2, false},                    // the count is the document's
        {"", "left|{file}|right", 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header + " / " + c.footer);
        ChosenValues chosen = defaultConfigValues();
        chosen.more.header = c.header;
        chosen.more.footer = c.footer;
        chosen.more.lineNumbers = c.every;
        chosen.more.headerRule = c.rule;
        ConversionSettings settings;
        ASSERT_EQ(deriveSettings(settings, chosen), 0);
        PageFurniture inPage(settings, "/some/where/notes.txt", 5000, 120, nullptr);
        PageFurniture calling(inPage);
        calling.drawRepeatedInForm();
        const std::string& form = calling.form();
        const bool fixedText = c.header.find("{file}") != std::string::npos ||
                               c.footer.find("right") != std::string::npos ||
                               c.footer.starts_with("{pages}");
        EXPECT_EQ(form.empty(), !fixedText && !c.rule) << form;
        // The form is an artifact block of its own: read in turn with the
        // file's other streams, it is still no body text.
        if (!form.empty()) {
            EXPECT_EQ(form.rfind("/Artifact BMC\r\n", 0), 0u) << form;
            EXPECT_TRUE(form.ends_with("EMC\r\n")) << form;
        }
        EXPECT_EQ(follow(form).openText, 0);
        EXPECT_EQ(follow(form).openArtifacts, 0);
        for (const std::uint64_t page : {0u, 8u, 99u}) {
            SCOPED_TRACE(page);
            std::string alone, called;
            inPage.append(alone, page, page * 47, 47);
            calling.append(called, page, page * 47, 47);
            const std::string drawn = withFormDrawn(called, form);
            const Reading reading = follow(drawn);
            EXPECT_EQ(reading.openText, 0);
            EXPECT_EQ(reading.openArtifacts, 0);
            const std::vector<Shown> expected = sortedShown(alone), got = sortedShown(drawn);
            ASSERT_EQ(got.size(), expected.size()) << called;
            for (std::size_t k = 0; k < got.size(); ++k) {
                EXPECT_EQ(got[k].text, expected[k].text);
                EXPECT_EQ(got[k].x, expected[k].x) << got[k].text;
                EXPECT_EQ(got[k].y, expected[k].y) << got[k].text;
            }
            // Called once, inside the page's one artifact block; the rules
            // are drawn by the form alone.
            const std::size_t calls =
                called.find(std::string(PageFurniture::kFormName) + " Do") != std::string::npos;
            EXPECT_EQ(calls, form.empty() ? 0u : 1u) << called;
            EXPECT_EQ(called.find(" l\r\n"), std::string::npos) << called;
            EXPECT_EQ(alone.find(" l\r\n") != std::string::npos, c.rule) << alone;
            EXPECT_EQ(called.rfind("/Artifact BMC", 0), 0u) << called;
            if (form.empty()) {
                EXPECT_EQ(called, alone);
            } else {
                EXPECT_LT(called.size(), alone.size()) << called;
            }
            for (const Shown& s : follow(called).shown)
                EXPECT_TRUE(s.text.find("notes.txt") == std::string::npos && s.text != "left" &&
                            s.text != "right" && s.text != "x" && s.text != "Notes")
                    << s.text;
        }
    }
}

}  // namespace
}  // namespace leafwright
