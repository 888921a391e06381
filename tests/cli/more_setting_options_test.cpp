// The settings beyond the twelve lines on the command line: read from the
// options and from --config, the options winning, bad values refused before
// any file is touched.
#include "cli/more_setting_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/convert_options.h"
#include "cli/convert_settings.h"
#include "core/settings/more_settings.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

using cli::parseConvertOptions;

const std::string kTwelveLines =
    "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
    "FALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n";

MoreSettings overridden(const cli::ConvertOptions& options) {
    MoreSettings settings;
    cli::applyOverrides(options.settingOverrides, settings);
    return settings;
}

TEST(MoreSettingOptions, EachSettingIsAnOptionWithTheLastOneWinning) {
    const auto parsed = parseConvertOptions({"--wrap=word",
                                             "a.txt",
                                             "--wrap",
                                             "char",
                                             "--wrap-mark=none",
                                             "--form-feed",
                                             "page",
                                             "--header",
                                             "{file}||{page}/{pages}",
                                             "--footer=x=y",
                                             "--header-rule=FALSE",
                                             "--line-numbers=5",
                                             "--line-number-start",
                                             "0",
                                             "--font-family=DejaVu Sans Mono",
                                             "--encoding",
                                             "KOI8-R",
                                             "--compress",
                                             "--combine-duplex",
                                             "--combine-duplex=FALSE",
                                             "--",
                                             "--wrap=none"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.files, (std::vector<std::string>{"a.txt", "--wrap=none"}));
    const MoreSettings more = overridden(parsed.options);
    EXPECT_EQ(more.wrap, WrapMode::Char);
    EXPECT_EQ(more.wrapMark, WrapMark::None);
    EXPECT_EQ(more.formFeed, FormFeedMode::Page);
    EXPECT_EQ(more.header, "{file}||{page}/{pages}");
    EXPECT_EQ(more.footer, "x=y");
    EXPECT_FALSE(more.headerRule);
    EXPECT_EQ(more.lineNumbers, 5);
    EXPECT_EQ(more.lineNumberStart, 0);
    EXPECT_EQ(more.fontFamily, "DejaVu Sans Mono");
    EXPECT_EQ(more.encoding, "KOI8-R");
    EXPECT_TRUE(more.compress);
    EXPECT_FALSE(more.combineDuplex);

    // A flag never takes the next argument: that is a file.
    const auto flag = parseConvertOptions({"--compress", "FALSE"});
    EXPECT_TRUE(overridden(flag.options).compress);
    EXPECT_EQ(flag.options.files, std::vector<std::string>{"FALSE"});
}

TEST(MoreSettingOptions, ABadValueOrAMissingOneIsAnErrorNamingTheOptionAndItsValues) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--wrap=words"}, "--wrap must be none, word, char or word-char"},
        {{"--wrap", "WORD", "a.txt"}, "--wrap must be none, word, char or word-char"},
        {{"--compress=yes"}, "--compress must be TRUE or FALSE"},
        {{"--compress="}, "--compress must be TRUE or FALSE"},
        {{"--header-rule", "true"}, "--header-rule must be TRUE or FALSE"},
        {{"--line-numbers=-2"}, "--" + moreSettingRefusal("line-numbers")},
        {{"--line-number-start=1e3"}, "--" + moreSettingRefusal("line-number-start")},
        {{"--encoding=klingon"}, "--" + moreSettingRefusal("encoding")},
        {{"--footer=a\nb"}, "--" + moreSettingRefusal("footer")},
        {{"a.txt", "--line-numbers"}, "option '--line-numbers' needs a value"},
        {{"--font-file="}, "--font-file: an empty file name was given"},
        {{"--font-file"}, "option '--font-file' needs a value"},
    };
    for (const auto& [args, error] : cases) {
        EXPECT_EQ(parseConvertOptions(args).error, error) << ::testing::PrintToString(args);
    }
}

class PreparedSettings : public ::testing::Test {
  protected:
    // Prepares the settings from the arguments; returns the exit status and
    // keeps what went to standard error.
    int prepare(const std::vector<std::string>& args) {
        const auto parsed = parseConvertOptions(args);
        EXPECT_EQ(parsed.error, "");
        ::testing::internal::CaptureStderr();
        const int status = cli::prepareSettings(parsed.options, settings);
        err = ::testing::internal::GetCapturedStderr();
        return status;
    }

    TempDir dir;
    ConversionSettings settings;
    std::string err;
};

TEST_F(PreparedSettings, OptionsOverrideTheFileAndTheRestOfTheFileStays) {
    const std::string config = dir.file("mine.tcf");
    writeBytes(config, kTwelveLines + "wrap=word\r\nheader={file}\r\ncompress=TRUE\r\n");
    ASSERT_EQ(prepare({"--config", config, "--wrap=word-char", "--compress=FALSE"}), cli::kExitOk)
        << err;
    EXPECT_EQ(err, "");
    const MoreSettings& more = settings.chosen.more;
    EXPECT_EQ(more.wrap, WrapMode::WordChar);
    EXPECT_EQ(more.header, "{file}");
    EXPECT_FALSE(more.compress);

    // Without a file the options apply to the start-up settings.
    ASSERT_EQ(prepare({"--line-numbers=3"}), cli::kExitOk) << err;
    EXPECT_EQ(settings.chosen.more.lineNumbers, 3);
    EXPECT_EQ(settings.chosen.more.wrap, WrapMode::None);
}

TEST_F(PreparedSettings, AFileWithABadLineIsRefusedAndUnknownLinesAreWarnedAbout) {
    const std::string bad = dir.file("bad.tcf");
    writeBytes(bad, kTwelveLines + "compress=TRUE\r\nwrap=wide\r\n");
    EXPECT_EQ(prepare({"--config", bad, "--wrap=word"}), cli::kExitUsage);
    EXPECT_EQ(err,
              "leafwright-cli: " + bad + ": line 14: wrap must be none, word, char or word-char\n");

    const std::string later = dir.file("later.tcf");
    writeBytes(later, kTwelveLines + "shade=grey\r\nwrap=char\r\n");
    EXPECT_EQ(prepare({"--config", later}), cli::kExitOk);
    EXPECT_EQ(err.rfind("leafwright-cli: " + later +
                            ": line 13: unknown setting \"shade\" ignored; the known settings "
                            "are wrap, wrap-mark,",
                        0),
              0u)
        << err;
    EXPECT_EQ(settings.chosen.more.wrap, WrapMode::Char);
}

TEST_F(PreparedSettings, AFontFileMustBeARegularFontFileThatCanBeRead) {
    const std::string face = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
    ASSERT_EQ(prepare({"--font-file", face}), cli::kExitOk) << err;
    EXPECT_EQ(settings.chosen.more.fontFile, face);

    for (const std::string& path :
         {dir.file("missing.ttf"), dir.path(), std::string("/dev/zero")}) {
        EXPECT_EQ(prepare({"--font-file=" + path}), cli::kExitUsage) << path;
        EXPECT_EQ(err.rfind("leafwright-cli: " + path + ": ", 0), 0u) << err;
    }
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;

    writeBytes(dir.file("face.ttf"), "a text, not a font");
    EXPECT_EQ(prepare({"--font-file", dir.file("face.ttf")}), cli::kExitUsage);
    EXPECT_NE(err.find("not a TrueType or OpenType font"), std::string::npos) << err;
}

// What a user meets: refusals before any file, the file converted after a
// warning, and every option described in the help and the manual page.
TEST(MoreSettingsCommandLine, RefusalsComeBeforeAnyFileAndWarningsDoNotStopTheRun) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "one line\n");
    writeBytes(dir.file("bad.tcf"), kTwelveLines + "line-numbers=many\r\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--form-feed=eject", "a.txt"},
          std::vector<std::string>{"--config", "bad.tcf", "a.txt"},
          std::vector<std::string>{"--font-file", "none.ttf", "a.txt"}}) {
        std::vector<std::string> command{LEAFWRIGHT_CLI, "convert"};
        command.insert(command.end(), args.begin(), args.end());
        const ProcessResult result = runProcess(command, dir.path());
        EXPECT_EQ(result.exitStatus, 2) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.txt", "bad.tcf"}));
    }

    // A file of a later version converts as the same file without its
    // unknown line, after a warning.
    writeBytes(dir.file("plain.tcf"), kTwelveLines);
    writeBytes(dir.file("later.tcf"), kTwelveLines + "hyphenate=TRUE\r\n");
    const ProcessResult plain =
        runProcess({LEAFWRIGHT_CLI, "convert", "--config", "plain.tcf", "-o", "plain.pdf", "a.txt"},
                   dir.path());
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    const ProcessResult later =
        runProcess({LEAFWRIGHT_CLI, "convert", "--config", "later.tcf", "-o", "later.pdf", "a.txt"},
                   dir.path());
    ASSERT_EQ(later.exitStatus, 0) << later.err;
    EXPECT_EQ(
        later.err.rfind("leafwright-cli: later.tcf: line 13: unknown setting \"hyphenate\"", 0), 0u)
        << later.err;
    EXPECT_EQ(readBytes(dir.file("later.pdf")), readBytes(dir.file("plain.pdf")));
}

TEST(MoreSettingsCommandLine, TheHelpAndTheManualPageDescribeEveryOption) {
    const ProcessResult help = runProcess({LEAFWRIGHT_CLI, "convert", "--help"});
    ASSERT_EQ(help.exitStatus, 0);
    std::ifstream manual(std::string(LEAFWRIGHT_CLI_TEST_DATA) +
                         "/../../../data/leafwright-cli.1.in");
    const std::string page((std::istreambuf_iterator<char>(manual)),
                           std::istreambuf_iterator<char>());
    ASSERT_FALSE(page.empty());
    std::vector<std::string> names(moreSettingNames().begin(), moreSettingNames().end());
    names.push_back("font-file");
    for (const std::string& name : names) {
        EXPECT_TRUE(help.out.find("  --" + name + "=") != std::string::npos ||
                    help.out.find("  --" + name + " ") != std::string::npos)
            << name;
        std::string escaped = "\\-\\-";
        for (char c : name) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        bool described = false;
        for (const char* macro : {"\n.B ", "\n.BI ", "\n.BR "})
            described = described || page.find(macro + escaped + " ") != std::string::npos;
        EXPECT_TRUE(described) << name;
    }
}

}  // namespace
}  // namespace leafwright::testing
