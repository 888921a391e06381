#include "core/settings/pick_lists.h"

#include <gtest/gtest.h>

#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "core/settings/value_tables.h"

namespace leafwright {
namespace {

TEST(PickLists, AValueSelectsTheFirstEntryBeginningWithItIgnoringCase) {
    ChosenValues values;
    values.pageStyle = "a4";
    values.font = "courier-b";
    values.fontSize.assign(1, '1');  // "10" is the first size that begins with it
    values.textColor = "RED";
    values.pageColor = "Purple";
    // rotation left empty: an empty value begins every entry

    ChosenValues shown = asShownInPickLists(values);

    EXPECT_EQ(shown.pageStyle, "A4  [595,842]");
    EXPECT_EQ(shown.font, "Courier-Bold");
    EXPECT_EQ(shown.fontSize, "10");
    EXPECT_EQ(shown.textColor, "Red");
    EXPECT_EQ(shown.pageColor, "");
    EXPECT_EQ(shown.rotation, "0");
}

TEST(PickLists, AValueLongerThanEveryEntrySelectsNothing) {
    EXPECT_EQ(pickListEntry(fontNames(), "Times-Roman "), "");
    EXPECT_EQ(pickListEntry(fontNames(), std::string(1 << 20, 'C')), "");
    EXPECT_EQ(pickListEntry(fontNames(), "Times-Roman"), "Times-Roman");
}

TEST(PickLists, NothingSelectedKeepsTheFontSizeAndRotationTheDocumentHad) {
    ConversionSettings settings;
    ChosenValues chosen = defaultConfigValues();
    // Lists with nothing selected give empty texts.
    chosen.font.clear();
    chosen.fontSize.clear();
    chosen.rotation.clear();
    ASSERT_EQ(deriveSettings(settings, chosen), 0);
    EXPECT_EQ(settings.baseFont, "Times-Roman");
    EXPECT_EQ(settings.fontSizeText, "14");
    EXPECT_EQ(settings.rotateText, "0");
}

}  // namespace
}  // namespace leafwright
