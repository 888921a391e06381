#include "core/settings/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/platform/file_error.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

auto fileValues(const ChosenValues& v) {
    return std::tie(v.pageStyle, v.font, v.fontSize, v.textColor, v.pageColor, v.rotation,
                    v.topMargin, v.leftMargin, v.landscape, v.customFolder, v.folder,
                    v.selfAdaptation);
}

const char* const kDefaultFileBytes =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

TEST(ReadConfigFile, LfOnlyAndAByteOrderMarkReadLikeCrLfAndLinesAfterTheTwelfthAreIgnored) {
    TempDir dir;
    const std::vector<std::string> lines{
        "Letter  [612,792]", "Courier", "9", "Red", "Yellow", "90", "12", "034", "TRUE", "TRUE",
        "/srv/out",          "TRUE"};
    std::string lf, crlf;
    for (const auto& line : lines) {
        lf += line + "\n";
        crlf += line + "\r\n";
    }
    testing::writeBytes(dir.file("lf.tcf"), lf + "FALSE\n" + std::string(100, '\0'));
    testing::writeBytes(dir.file("crlf.tcf"), crlf);
    // Saved by an editor as UTF-8 with a byte-order mark.
    testing::writeBytes(dir.file("marked.tcf"), "\xEF\xBB\xBF" + crlf);

    ChosenValues fromLf = readConfigFile(dir.file("lf.tcf"));
    ChosenValues fromCrLf = readConfigFile(dir.file("crlf.tcf"));
    EXPECT_EQ(fileValues(fromLf), fileValues(fromCrLf));
    EXPECT_EQ(fileValues(readConfigFile(dir.file("marked.tcf"))), fileValues(fromCrLf));
    // Marked twice: written again from its values, it reads the same.
    testing::writeBytes(dir.file("twice.tcf"), "\xEF\xBB\xBF\xEF\xBB\xBF" + crlf);
    const ChosenValues twice = readConfigFile(dir.file("twice.tcf"));
    EXPECT_EQ(fileValues(twice), fileValues(fromCrLf));
    writeConfigFile(dir.file("again.tcf"), twice);
    EXPECT_EQ(fileValues(readConfigFile(dir.file("again.tcf"))), fileValues(twice));
    EXPECT_EQ(fromCrLf.pageStyle, "Letter  [612,792]");
    EXPECT_EQ(fromCrLf.leftMargin, "034");
    EXPECT_EQ(fromCrLf.folder, "/srv/out");
    EXPECT_EQ(fromCrLf.landscape, 1);
    EXPECT_EQ(fromCrLf.customFolder, 1);
    EXPECT_EQ(fromCrLf.selfAdaptation, 1);
    EXPECT_TRUE(fromCrLf.creator.empty());
}

TEST(ReadConfigFile, MissingLinesReadEmptyAndFlagsOff) {
    TempDir dir;
    testing::writeBytes(dir.file("eight.tcf"),
                        "A5  [421,595]\nHelvetica\n8\nBlue\nWhite\n180\n1\n2");
    ChosenValues values = readConfigFile(dir.file("eight.tcf"));
    EXPECT_EQ(values.pageStyle, "A5  [421,595]");
    EXPECT_EQ(values.leftMargin, "2");  // the last line needs no line end
    EXPECT_EQ(values.folder, "");
    EXPECT_EQ(values.landscape, 0);
    EXPECT_EQ(values.customFolder, 0);
    EXPECT_EQ(values.selfAdaptation, 0);

    testing::writeBytes(dir.file("empty.tcf"), "");
    EXPECT_EQ(fileValues(readConfigFile(dir.file("empty.tcf"))), fileValues(ChosenValues{}));
}

TEST(ReadConfigFile, AFlagIsOnOnlyForExactlyTrue) {
    TempDir dir;
    const std::string head = "a\nb\nc\nd\ne\nf\ng\nh\n";
    for (const char* word : {"true", "True", "TRUE ", " TRUE", "TRUE\t", "TRUE\r", "1", "FALSE"}) {
        testing::writeBytes(dir.file("f.tcf"), head + word + "\r\n" + word + "\r\nx\r\n" + word);
        ChosenValues values = readConfigFile(dir.file("f.tcf"));
        EXPECT_EQ(values.landscape, 0) << word;
        EXPECT_EQ(values.customFolder, 0) << word;
        EXPECT_EQ(values.selfAdaptation, 0) << word;
    }
    testing::writeBytes(dir.file("f.tcf"), head + "TRUE\r\nFALSE\r\nx\r\nTRUE");
    ChosenValues values = readConfigFile(dir.file("f.tcf"));
    EXPECT_EQ(values.landscape, 1);
    EXPECT_EQ(values.customFolder, 0);
    EXPECT_EQ(values.selfAdaptation, 1);
}

TEST(ReadConfigFile, HugeLinesAndBinaryBytesAreReadWhole) {
    TempDir dir;
    std::string huge(1 << 20, '7');
    std::string binary("\0\xFF\x80\x01\r\tz", 7);
    testing::writeBytes(dir.file("big.tcf"), huge + "\r\n" + binary + "\n14\n");
    ChosenValues values = readConfigFile(dir.file("big.tcf"));
    EXPECT_EQ(values.pageStyle, huge);
    EXPECT_EQ(values.font, binary);
    EXPECT_EQ(values.fontSize, "14");
    EXPECT_EQ(values.textColor, "");
}

TEST(ReadConfigFile, AFileThatCannotBeOpenedIsAFileErrorNamingIt) {
    TempDir dir;
    const std::string missing = dir.file("missing.tcf");
    try {
        readConfigFile(missing);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_FALSE(error.cause().empty());
    }
    EXPECT_THROW(readConfigFile(dir.path()), FileError);
}

// A settings file linked to a device or made a pipe is refused at once,
// instead of being read without end or waiting for a writer.
TEST(ReadConfigFile, ALinkToADeviceOrAPipeIsRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(::symlink("/dev/zero", dir.file("last.tcf").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("default.tcf").c_str(), 0600), 0);
    for (const std::string& path : {dir.file("last.tcf"), dir.file("default.tcf")}) {
        try {
            readConfigFile(path);
            FAIL() << path << " was read";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.cause(), "not a regular file");
        }
    }
}

TEST(WriteConfigFile, DefaultValuesGiveExactlyTheTwelveDefaultLines) {
    TempDir dir;
    writeConfigFile(dir.file("d.tcf"), defaultConfigValues());
    EXPECT_EQ(testing::readBytes(dir.file("d.tcf")), kDefaultFileBytes);
}

TEST(WriteConfigFile, RoundTripKeepsEveryValueAndReplacesTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("mine.tcf");
    testing::writeBytes(path, std::string(5000, 'o'));
    ChosenValues values;
    values.pageStyle = "Statement  [396,612]";
    values.font = "Times-Italic";
    values.fontSize = "36";
    values.textColor = "Green";
    values.pageColor = "";
    values.rotation = "90";
    values.topMargin = " 12 ";
    values.leftMargin = "";
    values.landscape = 1;
    values.customFolder = 0;
    values.folder = "sub dir/with\rreturn";
    values.selfAdaptation = 1;
    values.title = "not kept";
    writeConfigFile(path, values);

    ChosenValues back = readConfigFile(path);
    EXPECT_EQ(fileValues(back), fileValues(values));
    EXPECT_EQ(back.title, "");
    EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"mine.tcf"});
}

TEST(WriteConfigFile, ALineEndInsideAValueDoesNotShiftTheLaterLines) {
    TempDir dir;
    ChosenValues values = defaultConfigValues();
    values.folder = "first\nsecond";
    values.rotation = std::string(
        "9\x1A"
        "0",
        3);
    values.selfAdaptation = 1;
    writeConfigFile(dir.file("x.tcf"), values);
    ChosenValues back = readConfigFile(dir.file("x.tcf"));
    EXPECT_EQ(back.folder, "first");
    EXPECT_EQ(back.rotation, "9");
    EXPECT_EQ(back.topMargin, "36");
    EXPECT_EQ(back.selfAdaptation, 1);
}

TEST(WriteConfigFile, AFileThatCannotBeCreatedIsAFileErrorNamingIt) {
    TempDir dir;
    const std::string path = dir.file("no-such-folder/a.tcf");
    try {
        writeConfigFile(path, defaultConfigValues());
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
    }
}

TEST(CreateMissingConfigFiles, CreatesOnlyWhatIsMissing) {
    TempDir dir;
    createMissingConfigFiles(dir.path());
    EXPECT_EQ(testing::listFolder(dir.path()),
              (std::vector<std::string>{"default.tcf", "last.tcf"}));
    EXPECT_EQ(testing::readBytes(dir.file("last.tcf")), kDefaultFileBytes);
    EXPECT_EQ(testing::readBytes(dir.file("default.tcf")), kDefaultFileBytes);

    TempDir other;
    testing::writeBytes(other.file("last.tcf"), "mine\n");
    testing::writeBytes(other.file("LAST.TCF"), "x");
    createMissingConfigFiles(other.path() + "/");
    EXPECT_EQ(testing::readBytes(other.file("last.tcf")), "mine\n");
    EXPECT_EQ(testing::readBytes(other.file("default.tcf")), kDefaultFileBytes);
}

TEST(CreateMissingConfigFiles, WildcardsInTheFolderNameAreTakenLiterally) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("cfg?"));
    std::filesystem::create_directory(dir.file("cfgA"));
    testing::writeBytes(dir.file("cfgA/last.tcf"), "x");
    testing::writeBytes(dir.file("cfgA/default.tcf"), "x");
    createMissingConfigFiles(dir.file("cfg?"));
    EXPECT_EQ(testing::readBytes(dir.file("cfg?/last.tcf")), kDefaultFileBytes);
    EXPECT_EQ(testing::readBytes(dir.file("cfg?/default.tcf")), kDefaultFileBytes);
}

TEST(CreateMissingConfigFiles, AFolderThatCannotTakeTheFileIsAFileErrorNamingLastTcf) {
    TempDir dir;
    const std::string folder = dir.file("gone");
    try {
        createMissingConfigFiles(folder);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), folder + "/last.tcf");
    }
    if (::geteuid() == 0) return;  // root writes into read-only folders
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_THROW(createMissingConfigFiles(dir.path()), FileError);
}

TEST(CompleteSaveName, AppendsTcfUnlessTheLastFourCharactersAreExactlyIt) {
    EXPECT_EQ(completeSaveName("setup"), "setup.tcf");
    EXPECT_EQ(completeSaveName("SETUP.TCF"), "SETUP.TCF.tcf");
    EXPECT_EQ(completeSaveName("/a/b/setup.tcf"), "/a/b/setup.tcf");
    EXPECT_EQ(completeSaveName(".tcf"), ".tcf");
    EXPECT_EQ(completeSaveName("tcf"), "tcf.tcf");
    EXPECT_EQ(completeSaveName("x.tc"), "x.tc.tcf");
    EXPECT_EQ(completeSaveName(""), ".tcf");
}

}  // namespace
}  // namespace leafwright
