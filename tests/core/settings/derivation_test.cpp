#include "core/settings/derivation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/platform/file_search.h"
#include "core/settings/messages.h"
#include "core/settings/settings_refusal.h"
#include "support/in_folder.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::InFolder;
using testing::TempDir;

// What a confirmed settings dialog hands over with its default values.
ChosenValues dialogValues() {
    ChosenValues values;
    values.pageStyle = "A4  [595,842]";
    values.font = "Times-Roman";
    values.fontSize = "14";
    values.textColor = "Black";
    values.pageColor = "White";
    values.rotation = "0";
    values.topMargin = "36";
    values.leftMargin = "36";
    values.folder = "Default Path";
    return values;
}

int derive(ConversionSettings& settings, ChosenValues values) {
    return deriveSettings(settings, values);
}

TEST(DerivePageSize, LandscapeSwapsAndLegalIsWiderThanHigh) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.landscape = 1;
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.pageWidth, "842");
    EXPECT_EQ(settings.pageHeight, "595");
    EXPECT_EQ(settings.pageWidthValue, 842);
    EXPECT_EQ(settings.pageHeightValue, 595);
    EXPECT_EQ(settings.textTop, "559");

    values.pageStyle = "Legal  [1224,792]";
    values.landscape = 0;
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.pageWidth, "1224");
    EXPECT_EQ(settings.pageHeight, "792");
    values.landscape = 1;
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.pageWidth, "792");
    EXPECT_EQ(settings.pageHeight, "1224");
    EXPECT_EQ(settings.textTop, "1188");
}

TEST(DerivePageSize, UnknownStyleKeepsThePreviousSizeAndMarginsAreMeasuredAgainstIt) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.pageStyle = "Letter  [612,792]";
    values.landscape = 1;
    ASSERT_EQ(derive(settings, values), 0);

    values.pageStyle = "a4  [595,842]";  // other letter case: not in the table
    values.landscape = 0;
    values.topMargin = "700";  // fits A4, not the kept 612
    EXPECT_EQ(derive(settings, values), kTopMarginOutOfRange);
    EXPECT_EQ(settings.pageWidth, "792");
    EXPECT_EQ(settings.pageHeight, "612");

    values.topMargin = "612";
    values.leftMargin = "792";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.textTop, "0");
    EXPECT_EQ(settings.textLeft, "792");
    values.leftMargin = "793";
    EXPECT_EQ(derive(settings, values), kLeftMarginOutOfRange);
}

TEST(DeriveMargins, LeadingZerosAreReadButTheTypedTextIsKept) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.topMargin = "036";
    values.leftMargin = "0050";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.topMarginValue, 36);
    EXPECT_EQ(settings.textTop, "806");
    EXPECT_EQ(settings.leftMarginValue, 50);
    EXPECT_EQ(settings.textLeft, "50");
    EXPECT_EQ(settings.chosen.topMargin, "036");
    EXPECT_EQ(settings.chosen.leftMargin, "0050");
}

TEST(DeriveMargins, EqualToThePageIsAcceptedOneMoreIsBeyondTheRange) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.topMargin = "842";
    values.leftMargin = "595";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.textTop, "0");
    EXPECT_EQ(settings.textLeft, "595");

    values.topMargin = "843";
    EXPECT_EQ(derive(settings, values), kTopMarginOutOfRange);
    values.topMargin = "842";
    values.leftMargin = "596";
    EXPECT_EQ(derive(settings, values), kLeftMarginOutOfRange);
    EXPECT_EQ(messageText(kTopMarginOutOfRange), "The top margin go beyond the range!  ");
}

TEST(DeriveMargins, SignsBlanksAndLettersAreIllegalTopBeforeLeft) {
    for (const char* bad : {"+36", "-1", " 36", "36 ", "3a", "3.5"}) {
        ConversionSettings settings;
        ChosenValues values = dialogValues();
        values.topMargin = bad;
        EXPECT_EQ(derive(settings, values), kTopMarginIllegal) << bad;
        values.topMargin = "36";
        values.leftMargin = bad;
        EXPECT_EQ(derive(settings, values), kLeftMarginIllegal) << bad;
    }
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.topMargin = "x";
    values.leftMargin = "y";
    EXPECT_EQ(derive(settings, values), kTopMarginIllegal);
    values.topMargin = "900";
    EXPECT_EQ(derive(settings, values), kTopMarginOutOfRange);
}

TEST(DeriveMargins, AnEmptyMarginSetsBothToZero) {
    for (bool emptyTop : {true, false}) {
        ConversionSettings settings;
        ChosenValues values = dialogValues();
        values.leftMargin = emptyTop ? "50" : "";
        values.topMargin = emptyTop ? "" : "50";
        ASSERT_EQ(derive(settings, values), 0);
        EXPECT_EQ(settings.chosen.topMargin, "0");
        EXPECT_EQ(settings.chosen.leftMargin, "0");
        EXPECT_EQ(settings.topMarginValue, 0);
        EXPECT_EQ(settings.leftMarginValue, 0);
        EXPECT_EQ(settings.textTop, "842");
        EXPECT_EQ(settings.textLeft, "0");
    }
}

TEST(DeriveMargins, NumbersTooLargeForAnIntAreBeyondTheRange) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    for (const char* huge : {"2147483647", "2147483648", "99999999999999999999"}) {
        values.topMargin = huge;
        EXPECT_EQ(derive(settings, values), kTopMarginOutOfRange) << huge;
        values.topMargin = "36";
        values.leftMargin = huge;
        EXPECT_EQ(derive(settings, values), kLeftMarginOutOfRange) << huge;
        values.leftMargin = "36";
    }
    // A megabyte-long line from a configuration file: many zeros are still 36,
    // many nines are beyond any page.
    values.topMargin = std::string(1 << 20, '0') + "36";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.topMarginValue, 36);
    values.topMargin = std::string(1 << 20, '9');
    EXPECT_EQ(derive(settings, values), kTopMarginOutOfRange);
}

// The derivation takes any margin up to the page size; settings on whose
// fixed pages not one line fits are refused when accepted, not per file.
TEST(DeriveMargins, SettingsThatLeaveNoLineAreRefusedUnlessThePageAdapts) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.topMargin = "842";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_STREQ(settingsRefusal(settings), "No line fits on the page.");
    values.topMargin = "810";  // two leadings of 16.1 do not fit in 32: no line
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_STREQ(settingsRefusal(settings), kNoLineFitsText);
    values.topMargin = "809";  // one line fits
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settingsRefusal(settings), nullptr);

    values.topMargin = "842";
    values.selfAdaptation = 1;
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settingsRefusal(settings), nullptr);
}

TEST(DeriveMargins, SelfAdaptationSkipsPageAndMargins) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.selfAdaptation = 1;
    values.pageStyle = "Letter  [612,792]";
    values.topMargin = "-5";
    values.leftMargin = "";
    values.fontSize = "10";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.chosen.topMargin, "-5");
    EXPECT_EQ(settings.chosen.leftMargin, "");
    EXPECT_EQ(settings.pageWidth, "595");
    EXPECT_EQ(settings.pageHeight, "842");
    EXPECT_EQ(settings.topMarginValue, 36);
    EXPECT_EQ(settings.leftMarginValue, 36);
    EXPECT_EQ(settings.fontSizeText, "10");  // the later steps still run
}

TEST(DeriveTexts, FontSizeColoursAndDocumentInformation) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.font = "Courier-Bold";
    values.fontSize = "7";
    values.rotation = "270";
    values.textColor = "Red";
    values.pageColor = "Cyan";
    values.title = "T";
    values.author = "A";
    values.subject = "S";
    values.keywords = "K";
    values.creator = "";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.baseFont, "Courier-Bold");
    EXPECT_EQ(settings.rotateText, "270");
    EXPECT_EQ(settings.fontSizeText, "7");
    EXPECT_EQ(settings.fontSizeValue, 7);
    EXPECT_EQ(settings.leadingText, "8.05");
    EXPECT_DOUBLE_EQ(settings.leadingValue, 8.05);
    EXPECT_EQ(settings.textRgb, "1 0 0");
    EXPECT_EQ(settings.pageRgb, "0 1 1");
    EXPECT_EQ(settings.docTitle, "T");
    EXPECT_EQ(settings.docAuthor, "A");
    EXPECT_EQ(settings.docSubject, "S");
    EXPECT_EQ(settings.docKeywords, "K");
    EXPECT_EQ(settings.docProducer, "");  // an empty "Creater" removes the producer
}

TEST(DeriveTexts, UnknownSizeAndColourNamesKeepThePreviousValues) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.fontSize = "20";
    values.textColor = "White";
    values.pageColor = "Blue";
    ASSERT_EQ(derive(settings, values), 0);

    values.fontSize = "13";
    values.textColor = "red";
    values.pageColor = "";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.fontSizeText, "13");
    EXPECT_EQ(settings.fontSizeValue, 20);
    EXPECT_EQ(settings.leadingText, "23");
    EXPECT_DOUBLE_EQ(settings.leadingValue, 23.0);
    EXPECT_EQ(settings.textRgb, "1 1 1");
    EXPECT_EQ(settings.pageRgb, "0 0 1");
}

TEST(DeriveTexts, ARejectionLeavesTheLaterStepsUndone) {
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.font = "Helvetica";
    values.topMargin = "x";
    ASSERT_EQ(derive(settings, values), kTopMarginIllegal);
    EXPECT_EQ(settings.chosen.font, "Helvetica");  // copied first
    EXPECT_EQ(settings.baseFont, "Times-Roman");
    EXPECT_EQ(settings.docProducer, ConversionSettings::startUpProducer());
}

TEST(DeriveFolder, DefaultPathIsExactAndNotLookedUp) {
    TempDir dir;
    InFolder inside(dir.path());
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.outputFolder, "Default Path");

    values.folder = "default path";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
    std::filesystem::create_directory(dir.file("default path"));
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.outputFolder, std::filesystem::canonical(dir.file("default path")).string());
}

TEST(DeriveFolder, TrailingSlashNamesNoFolder) {
    TempDir dir;
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.folder = dir.path() + "/";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
    values.folder = "/";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
    values.folder = dir.path();
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.outputFolder, dir.path());
    values.folder = "";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
}

TEST(DeriveFolder, RelativeSubFolderBecomesAbsoluteAndFilesDoNotCount) {
    TempDir dir;
    InFolder inside(dir.path());
    std::filesystem::create_directory(dir.file("out"));
    testing::writeBytes(dir.file("notes.txt"), "x");
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.folder = "out";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.outputFolder, std::filesystem::canonical(dir.file("out")).string());

    values.folder = "notes.txt";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
    EXPECT_EQ(settings.outputFolder, "notes.txt");  // set before the search
}

TEST(DeriveFolder, WildcardsTakeEffectAndTheDirectoryAmongTheMatchesWins) {
    TempDir dir;
    testing::writeBytes(dir.file("out-a.txt"), "x");
    testing::writeBytes(dir.file("out-c.txt"), "x");
    std::filesystem::create_directory(dir.file("out-b"));
    ConversionSettings settings;
    ChosenValues values = dialogValues();
    values.folder = dir.path() + "/out-*";
    ASSERT_EQ(derive(settings, values), 0);
    EXPECT_EQ(settings.outputFolder, dir.file("out-b"));

    values.folder = dir.path() + "/out-?.txt";
    EXPECT_EQ(derive(settings, values), kPathDoesNotExist);
}

}  // namespace
}  // namespace leafwright
