// The settings a configuration file keeps after its twelve lines: how they
// are written, read back, refused and ignored.
#include "core/settings/more_settings.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

const std::string kTwelveLines =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

const char* const kAllNames =
    "wrap, wrap-mark, form-feed, header, footer, header-rule, line-numbers, "
    "line-number-start, font-family, encoding, compress and combine-duplex";

std::size_t countLines(const std::string& bytes) {
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
         at = bytes.find("\r\n", at + 2))
        ++lines;
    return lines;
}

// Text for the templates and the family: pieces that a reader could take
// for the syntax of the file (=, |, braces), letters of other scripts, blanks.
std::string randomText(std::mt19937& random) {
    static const char* const kPieces[] = {"a",        "Z",
                                          "=",        "|",
                                          "{page}",   " ",
                                          "{{",       "}}",
                                          "\xc3\xa9", "\xe4\xb8\xad",
                                          "/",        "\xf0\x9f\x99\x82",
                                          "x=y",      "#",
                                          "wrap=word"};
    std::string text;
    const int count = std::uniform_int_distribution<int>(0, 6)(random);
    for (int i = 0; i < count; ++i)
        text +=
            kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
    return text;
}

MoreSettings randomSettings(std::mt19937& random) {
    static const char* const kEncodings[] = {"",           "auto",      "UTF-8",    "KOI8-R",
                                             "ISO-8859-2", "SHIFT_JIS", "UTF-16LE", "GB18030"};
    auto pick = [&random](int last) { return std::uniform_int_distribution<int>(0, last)(random); };
    auto number = [&random] {
        // Small numbers, the edges and anything in between.
        switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0:
                return 0;
            case 1:
                return kLargestLineNumberSetting;
            case 2:
                return std::uniform_int_distribution<int>(1, 12)(random);
            default:
                return std::uniform_int_distribution<int>(0, kLargestLineNumberSetting)(random);
        }
    };
    MoreSettings settings;
    settings.wrap = static_cast<WrapMode>(pick(3));
    settings.wrapMark = static_cast<WrapMark>(pick(1));
    settings.formFeed = static_cast<FormFeedMode>(pick(1));
    settings.header = randomText(random);
    settings.footer = randomText(random);
    settings.headerRule = pick(1) == 1;
    settings.lineNumbers = number();
    settings.lineNumberStart = number();
    settings.fontFamily = randomText(random);
    settings.fontFile = pick(1) ? "/fonts/some face.ttf" : "";
    settings.encoding = kEncodings[pick(std::size(kEncodings) - 1)];
    settings.compress = pick(1) == 1;
    settings.combineDuplex = pick(1) == 1;
    return settings;
}

TEST(MoreSettingsInFiles, AnySettingsComeBackAfterTheTwelveLinesWithOnlyTheChangedOnesWritten) {
    TempDir dir;
    const std::string path = dir.file("more.tcf");
    std::mt19937 random(20240611);
    for (int round = 0; round < 100; ++round) {
        ChosenValues values = defaultConfigValues();
        values.more = randomSettings(random);
        writeConfigFile(path, values);
        const std::string bytes = testing::readBytes(path);

        // The twelve lines come first, as they always were; one line follows
        // for each setting away from its default.
        ASSERT_EQ(bytes.substr(0, kTwelveLines.size()), kTwelveLines) << round;
        std::size_t changed = 0;
        for (std::string_view name : moreSettingNames())
            changed += moreSettingText(values.more, name) != moreSettingText(MoreSettings{}, name);
        EXPECT_EQ(countLines(bytes), 12 + changed) << bytes;

        std::vector<std::string> warnings;
        const ChosenValues back = readConfigFile(path, &warnings);
        MoreSettings expected = values.more;
        expected.fontFile.clear();  // a command-line setting, never kept
        EXPECT_EQ(back.more, expected) << bytes;
        EXPECT_EQ(back.pageStyle, values.pageStyle);
        EXPECT_EQ(back.selfAdaptation, values.selfAdaptation);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
    }
}

TEST(MoreSettingsInFiles, SettingsAtTheirDefaultsWriteTodaysFileByteForByte) {
    TempDir dir;
    ChosenValues values = defaultConfigValues();
    // Each setting given its default as text, the way a file would give it.
    for (std::string_view name : moreSettingNames()) {
        ASSERT_EQ(setMoreSetting(values.more, name, moreSettingText(MoreSettings{}, name)),
                  MoreSettingCheck::Taken)
            << name;
    }
    values.more.fontFile = "/usr/share/fonts/x.ttf";
    writeConfigFile(dir.file("today.tcf"), values);
    EXPECT_EQ(testing::readBytes(dir.file("today.tcf")), kTwelveLines);

    // And a file of the twelve lines alone reads as the defaults.
    std::vector<std::string> warnings;
    EXPECT_EQ(readConfigFile(dir.file("today.tcf"), &warnings).more, MoreSettings{});
    EXPECT_TRUE(warnings.empty());
}

TEST(MoreSettingsInFiles, ValuesAreReadExactlyWithTheLastOfARepeatedNameWinning) {
    TempDir dir;
    testing::writeBytes(dir.file("good.tcf"),
                        kTwelveLines +
                            "wrap=char\nheader=a=b|{page}\n\nline-numbers=007\r\n"
                            "line-number-start=0\nencoding=koi8-r\nwrap=word-char\n"
                            "footer\nform-feed=page\nheader-rule=FALSE");
    const MoreSettings more = readConfigFile(dir.file("good.tcf")).more;
    EXPECT_EQ(more.wrap, WrapMode::WordChar);
    EXPECT_EQ(more.header, "a=b|{page}");  // only the first "=" ends the name
    EXPECT_EQ(more.lineNumbers, 7);
    EXPECT_EQ(more.lineNumberStart, 0);
    EXPECT_EQ(more.encoding, "koi8-r");
    EXPECT_EQ(more.footer, "");  // a name alone is a name with an empty value
    EXPECT_EQ(more.formFeed, FormFeedMode::Page);
    EXPECT_FALSE(more.headerRule);

    // Lines after the twelfth of a short file do not exist: a file of two
    // lines has the defaults.
    testing::writeBytes(dir.file("short.tcf"), "A4  [595,842]\nwrap=word\n");
    EXPECT_EQ(readConfigFile(dir.file("short.tcf")).more, MoreSettings{});
}

TEST(MoreSettingsInFiles, ABadValueIsRefusedNamingTheFileTheLineAndTheValuesTaken) {
    TempDir dir;
    const std::string path = dir.file("bad.tcf");
    const std::vector<std::string> badLines{
        "wrap=Word",
        "wrap=",
        "wrap",
        "wrap-mark=arrows",
        "form-feed=Page",
        "header-rule=true",
        "line-numbers=-1",
        "line-numbers=+1",
        "line-numbers= 1",
        "line-numbers=1000000000",
        "line-numbers=99999999999999999999",
        "line-number-start=1.5",
        "line-number-start=0x10",
        "compress=yes",
        "combine-duplex=TRUE ",
        "encoding=AUTO",
        "encoding=no-such-encoding-at-all",
        "encoding=UTF-8//IGNORE",
        "encoding=UTF 8",
        "header=\xff{page}",
        "header=caf\xc3",
        "footer=a\tb",
        "font-family=\x1b[31mSans",
        std::string("header=a\0b", 10),
    };
    for (const std::string& bad : badLines) {
        // A good line and an empty one before it: the count is of the file's
        // lines, not of its settings.
        testing::writeBytes(path, kTwelveLines + "wrap=word\r\n\r\n" + bad + "\r\n");
        const std::string name = bad.substr(0, bad.find('='));
        try {
            readConfigFile(path);
            ADD_FAILURE() << bad << " was taken";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.cause(), "line 15: " + moreSettingRefusal(name)) << bad;
        }
    }
    EXPECT_EQ(moreSettingRefusal("wrap"), "wrap must be none, word, char or word-char");
    EXPECT_EQ(moreSettingRefusal("compress"), "compress must be TRUE or FALSE");
    EXPECT_NE(moreSettingRefusal("encoding").find("auto or an encoding name"), std::string::npos);
}

TEST(MoreSettingsInFiles, AnUnknownNameIsIgnoredWithAWarningNamingTheLineAndTheKnownNames) {
    TempDir dir;
    const std::string path = dir.file("later.tcf");
    testing::writeBytes(path, kTwelveLines +
                                  "colour=red\r\n"
                                  "font-file=/x/face.ttf\r\n"  // the command line's alone
                                  "Wrap=word\r\n"
                                  "\x1b]0;title\x07=1\r\n"
                                  "wrap=char\r\n" +
                                  std::string(60, 'n') + "=1\r\n");
    std::vector<std::string> warnings;
    const ChosenValues values = readConfigFile(path, &warnings);
    EXPECT_EQ(values.more.wrap, WrapMode::Char);
    EXPECT_TRUE(values.more.fontFile.empty());
    EXPECT_EQ(values.font, "Times-Roman");
    ASSERT_EQ(warnings.size(), 5u);
    EXPECT_EQ(warnings[0], std::string("line 13: unknown setting \"colour\" ignored; the known "
                                       "settings are ") +
                               kAllNames);
    EXPECT_EQ(warnings[1].rfind("line 14: unknown setting \"font-file\" ignored", 0), 0u);
    EXPECT_EQ(warnings[2].rfind("line 15: unknown setting \"Wrap\"", 0), 0u);
    // Control characters of the name never reach a terminal or a message.
    EXPECT_EQ(warnings[3].rfind("line 16: unknown setting \"?]0;title?\"", 0), 0u);
    EXPECT_EQ(warnings[4].rfind("line 18: unknown setting \"" + std::string(40, 'n') + "...\"", 0),
              0u);

    // Many unknown lines: a few warnings and the count of the others.
    std::string many = kTwelveLines;
    for (int i = 0; i < 1000; ++i) many += "option" + std::to_string(i) + "=1\n";
    testing::writeBytes(path, many + "compress=TRUE\n");
    warnings.clear();
    EXPECT_TRUE(readConfigFile(path, &warnings).more.compress);
    ASSERT_EQ(warnings.size(), 6u);
    EXPECT_EQ(warnings[4].rfind("line 17: unknown setting \"option4\"", 0), 0u);
    EXPECT_EQ(warnings[5], "995 more lines of unknown settings ignored");
}

}  // namespace
}  // namespace leafwright
