#include "core/settings/value_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace leafwright {
namespace {

TEST(ValueTables, LeadingIsOnePointOneFiveTimesTheSizeInTextAndNumber) {
    ASSERT_EQ(fontSizes().size(), 16u);
    for (const FontSizeRow& row : fontSizes()) {
        EXPECT_EQ(std::to_string(row.fontSizeValue), row.sizeText);
        EXPECT_NEAR(row.leadingValue, row.fontSizeValue * 1.15, 1e-9) << row.sizeText;
        EXPECT_DOUBLE_EQ(std::strtod(std::string(row.leadingText).c_str(), nullptr),
                         row.leadingValue)
            << row.sizeText;
    }
}

TEST(ValueTables, PageLabelsSpellTheirSizesAndColoursAreSorted) {
    for (const PageStyle& style : pageStyles()) {
        std::string bracket =
            "  [" + std::string(style.widthText) + "," + std::string(style.heightText) + "]";
        EXPECT_TRUE(style.label.ends_with(bracket)) << style.label;
        EXPECT_EQ(std::to_string(style.width), style.widthText);
        EXPECT_EQ(std::to_string(style.height), style.heightText);
    }
    EXPECT_TRUE(std::is_sorted(colours().begin(), colours().end(),
                               [](const auto& a, const auto& b) { return a.name < b.name; }));
    EXPECT_EQ(findColour("Magenta")->rgb, "1 0 1");
    EXPECT_EQ(findColour("magenta"), nullptr);
    EXPECT_EQ(findPageStyle("A4  [595,842] "), nullptr);
}

}  // namespace
}  // namespace leafwright
