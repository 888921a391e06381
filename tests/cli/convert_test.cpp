// Runs the built leafwright-cli convert as a user would and checks what it
// leaves on disk and says, with qpdf and poppler as outside judges.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

namespace fs = std::filesystem;

// Lines as a reader sees them: form feeds and surrounding blanks dropped,
// runs of blanks made one, empty lines left out.
std::vector<std::string> visibleLines(const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& raw : splitLines(text)) {
        std::string line;
        for (char c : raw) {
            if (c == '\f') continue;
            if (c == ' ' && (line.empty() || line.back() == ' ')) continue;
            line += c;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::string pdfText(const std::string& pdf, bool layout) {
    std::vector<std::string> command{"pdftotext", "-enc", "UTF-8"};
    if (layout) command.push_back("-layout");
    command.insert(command.end(), {pdf, "-"});
    ProcessResult result = runProcess(command);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

std::string pdfInfo(const std::string& pdf) {
    ProcessResult result = runProcess({"pdfinfo", "-enc", "UTF-8", pdf});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    return result.out;
}

// The document is sound, and both ways of reading it give back the source.
void expectFaithfulPdf(const std::string& pdf, const std::string& expectedText) {
    ASSERT_TRUE(fs::is_regular_file(pdf)) << pdf;
    ProcessResult check = runProcess({"qpdf", "--check", pdf});
    EXPECT_EQ(check.exitStatus, 0) << pdf << "\n" << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
    EXPECT_EQ(check.err, "") << pdf;
    EXPECT_EQ(visibleLines(pdfText(pdf, false)), visibleLines(expectedText)) << pdf;
    EXPECT_EQ(visibleLines(pdfText(pdf, true)), visibleLines(expectedText)) << pdf;
}

std::string numberedLines(int count, const std::string& word) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += word + " line " + std::to_string(i) + "\n";
    return text;
}

// The twelve lines of a configuration file, CR LF ended as the program
// writes them; `changes` replaces lines by their number (1 to 12).
std::string configText(const std::vector<std::pair<int, std::string>>& changes) {
    std::vector<std::string> lines{"A4  [595,842]", "Times-Roman", "14",           "Black",
                                   "White",         "0",           "36",           "36",
                                   "FALSE",         "FALSE",       "Default Path", "FALSE"};
    for (const auto& [number, value] : changes) lines[number - 1] = value;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

class ConvertTest : public ::testing::Test {
  protected:
    ProcessResult convert(std::vector<std::string> args) {
        args.insert(args.begin(), {LEAFWRIGHT_CLI, "convert"});
        return runProcess(args, dir.path());
    }
    std::string path(const std::string& name) const { return dir.file(name); }
    void put(const std::string& name, const std::string& text) const {
        writeBytes(path(name), text);
    }

    TempDir dir;
};

TEST_F(ConvertTest, ConvertsEachFileInOrderAndPrintsItsPdf) {
    const std::string shortText = "First line\nSecond line, with (parens) and a \\ backslash\n";
    const std::string longText = numberedLines(120, "paginated");  // 49 lines a page
    put("a.txt", shortText);
    put("b.txt", longText);

    ProcessResult result = convert({"b.txt", "a.txt"});

    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "b.pdf\na.pdf\n");
    EXPECT_EQ(result.err, "");
    expectFaithfulPdf(path("a.pdf"), shortText);
    expectFaithfulPdf(path("b.pdf"), longText);
    EXPECT_NE(pdfInfo(path("b.pdf")).find("Pages:           3\n"), std::string::npos);
    EXPECT_NE(pdfInfo(path("a.pdf")).find("Page size:       595 x 842 pts (A4)"),
              std::string::npos);
}

TEST_F(ConvertTest, ExistingPdfIsSkippedUnlessForced) {
    put("a.txt", "new text\n");
    put("a.pdf", "old bytes");

    ProcessResult skipped = convert({"a.txt"});
    EXPECT_EQ(skipped.exitStatus, 1);
    EXPECT_EQ(skipped.out, "");
    EXPECT_NE(skipped.err.find("leafwright-cli: a.txt: "), std::string::npos) << skipped.err;
    EXPECT_EQ(readBytes(path("a.pdf")), "old bytes");

    ProcessResult forced = convert({"--force", "a.txt"});
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    EXPECT_EQ(forced.out, "a.pdf\n");
    expectFaithfulPdf(path("a.pdf"), "new text\n");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.pdf", "a.txt"}));
}

TEST_F(ConvertTest, OutputDirTakesThePdfs) {
    put("a.txt", "into the folder\n");
    fs::create_directory(path("out [1]"));

    for (const std::string folder : {"out [1]", "out [1]/"}) {
        ProcessResult result = convert({"--force", "--output-dir", folder, "a.txt"});
        EXPECT_EQ(result.exitStatus, 0) << folder << ": " << result.err;
        EXPECT_EQ(result.out, fs::canonical(path("out [1]")).string() + "/a.pdf\n");
    }
    expectFaithfulPdf(path("out [1]/a.pdf"), "into the folder\n");
    EXPECT_FALSE(fs::exists(path("a.pdf")));

    ProcessResult missing = convert({"--output-dir=nowhere", "a.txt"});
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_EQ(missing.err, "leafwright-cli: nowhere: The path dose not exist!\n");
    EXPECT_FALSE(fs::exists(path("a.pdf")));
}

TEST_F(ConvertTest, RejectedSettingsStopBeforeAnyFile) {
    put("a.txt", "text\n");
    put("illegal.tcf", configText({{7, "3x"}, {8, "-5"}}));
    put("wide.tcf", configText({{8, "596"}}));
    put("missing-folder.tcf", configText({{10, "TRUE"}, {11, "no-such-folder"}}));
    put("long-margin.tcf", configText({{7, "00036"}}));  // the window takes 4 characters
    put("no-line.tcf", configText({{7, "810"}}));        // 32 points: less than two leadings

    // Each message names the file the settings come from; the blanks that
    // end two of them in the message box are dropped.
    const std::vector<std::pair<std::string, std::string>> cases{
        {"illegal.tcf", "leafwright-cli: illegal.tcf: The top margin are illegal!\n"},
        {"wide.tcf", "leafwright-cli: wide.tcf: The left margin go beyond the range!\n"},
        {"missing-folder.tcf", "leafwright-cli: missing-folder.tcf: The path dose not exist!\n"},
        {"long-margin.tcf",
         "leafwright-cli: long-margin.tcf: a margin holds more than 4 characters\n"},
        {"no-line.tcf", "leafwright-cli: no-line.tcf: No line fits on the page.\n"},
    };
    for (const auto& [config, message] : cases) {
        ProcessResult result = convert({"--config", config, "a.txt"});
        EXPECT_EQ(result.exitStatus, 2) << config;
        EXPECT_EQ(result.err, message) << config;
    }

    ProcessResult unreadable = convert({"--config", "absent.tcf", "a.txt"});
    EXPECT_EQ(unreadable.exitStatus, 2);
    EXPECT_NE(unreadable.err.find("leafwright-cli: absent.tcf: "), std::string::npos);
    EXPECT_EQ(listFolder(dir.path()).size(), 6u);  // no PDF

    // A page that grows to its text has room for any margin.
    put("adapting.tcf", configText({{7, "810"}, {12, "TRUE"}}));
    EXPECT_EQ(convert({"--config", "adapting.tcf", "a.txt"}).exitStatus, 0);
}

// Memory running out while the settings are read rejects them like any
// other unreadable settings: exit 2, the file named, no file converted.
TEST_F(ConvertTest, SettingsThatRunOutOfMemoryAreRejectedSettings) {
    const std::vector<std::string> command =
        withMemoryLimit({LEAFWRIGHT_CLI, "convert", "--config", "huge.tcf", "a.txt"}, 80'000'000);
    if (command.empty()) GTEST_SKIP() << "no memory limit can be set for the program here";
    put("a.txt", "text\n");
    put("huge.tcf", configText({{7, std::string(48u << 20, '7')}}));
    ProcessResult result = runProcess(command, dir.path());
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_EQ(result.err.rfind("leafwright-cli: huge.tcf: ", 0), 0u) << result.err;
    EXPECT_FALSE(fs::exists(path("a.pdf")));
}

TEST_F(ConvertTest, ConfigurationShapesTheDocument) {
    const std::string text = numberedLines(40, "letter");  // 34 lines a landscape page
    put("a.txt", text);
    // A folder line is ignored while "Customize" is off.
    put("letter.tcf", configText({{1, "Letter  [612,792]"}, {9, "TRUE"}, {11, "no-such-folder"}}));

    ProcessResult result = convert({"--config", "letter.tcf", "a.txt"});

    EXPECT_EQ(result.exitStatus, 0) << result.err;
    expectFaithfulPdf(path("a.pdf"), text);
    const std::string info = pdfInfo(path("a.pdf"));
    EXPECT_NE(info.find("Page size:       792 x 612 pts"), std::string::npos) << info;
    EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
}

TEST_F(ConvertTest, ListValuesOfAConfigurationAreReadAsTheWindowShowsThem) {
    // The window selects the first list entry that begins with a file's value,
    // ignoring case; the command line must make the same document of it.
    put("a.txt", "same text\n");
    put("b.txt", "same text\n");
    put("exact.tcf", configText({{1, "Letter  [612,792]"}, {2, "Helvetica-Bold"}, {3, "10"}}));
    put("loose.tcf", configText({{1, "letter"}, {2, "helvetica-b"}, {3, "1"}}));

    ASSERT_EQ(convert({"--config", "exact.tcf", "a.txt"}).exitStatus, 0);
    ProcessResult loose = convert({"--config", "loose.tcf", "b.txt"});

    EXPECT_EQ(loose.exitStatus, 0) << loose.err;
    EXPECT_EQ(readBytes(path("b.pdf")), readBytes(path("a.pdf")));
}

TEST_F(ConvertTest, SelfAdaptingConfigurationWritesOnePageCutToTheText) {
    std::string text = numberedLines(60, "row");
    text += "the longest line here\n";  // 21 characters
    put("a.txt", text);
    put("paged.tcf", configText({}));
    put("adapt.tcf", configText({{7, "bad"}, {12, "TRUE"}}));  // margins are not checked

    ASSERT_EQ(convert({"--config", "paged.tcf", "a.txt"}).exitStatus, 0);
    EXPECT_NE(pdfInfo(path("a.pdf")).find("Pages:           2\n"), std::string::npos);

    ProcessResult result = convert({"--config", "adapt.tcf", "--force", "a.txt"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    expectFaithfulPdf(path("a.pdf"), text);
    const std::string info = pdfInfo(path("a.pdf"));
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    // 61 lines of 16.1 points plus the top margin 36 and 15; the widest line
    // measures 174 points at size 14, plus the left margin 36 and 60.
    EXPECT_NE(info.find("Page size:       270 x 1033 pts"), std::string::npos) << info;
}

TEST_F(ConvertTest, Utf8TextShowsEveryCharacterTheFontHas) {
    put("utf8.txt",
        "\xEF\xBB\xBF"
        "café – “quotes” ½\n");

    ProcessResult result = convert({"utf8.txt"});

    EXPECT_EQ(result.exitStatus, 0) << result.err;
    // ½ has no Mac OS Roman code: it prints from an embedded font.
    expectFaithfulPdf(path("utf8.pdf"), "café – “quotes” ½\n");
}

TEST_F(ConvertTest, FailingFileDoesNotStopTheOthers) {
    put("a.txt", "first\n");
    fs::create_directory(path("folder.txt"));
    put("c.txt", "third\n");

    ProcessResult result = convert({"a.txt", "missing.txt", "folder.txt", "c.txt"});

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "a.pdf\nc.pdf\n");
    EXPECT_NE(result.err.find("leafwright-cli: missing.txt: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("folder.txt"), std::string::npos) << result.err;
    expectFaithfulPdf(path("a.pdf"), "first\n");
    expectFaithfulPdf(path("c.pdf"), "third\n");
    EXPECT_FALSE(fs::exists(path("missing.pdf")));
    EXPECT_FALSE(fs::exists(path("folder.pdf")));
}

TEST_F(ConvertTest, SourceThatNamesItsOwnPdfStaysUntouched) {
    put("notes.pdf", "a text file with an unlucky name\n");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"notes.pdf"}, {"--force", "notes.pdf"}}) {
        ProcessResult result = convert(args);
        EXPECT_EQ(result.exitStatus, 1) << args.size();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("notes.pdf"), std::string::npos);
        EXPECT_EQ(readBytes(path("notes.pdf")), "a text file with an unlucky name\n");
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"notes.pdf"});
    }
}

TEST_F(ConvertTest, AwkwardFileNamesArePassedThroughUnharmed) {
    const std::vector<std::string> names{"my notes.txt", "it's \"quoted\".txt", "Grüße.txt",
                                         "-dash.txt", "-x.txt"};
    for (const std::string& name : names) put(name, name + " inside\n");

    ProcessResult result = convert(
        {"my notes.txt", "it's \"quoted\".txt", "./-x.txt", "--", "Grüße.txt", "-dash.txt"});

    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "my notes.pdf\nit's \"quoted\".pdf\n./-x.pdf\nGrüße.pdf\n-dash.pdf\n");
    for (const std::string& name : names) {
        expectFaithfulPdf(path(name.substr(0, name.size() - 3) + "pdf"), name + " inside\n");
    }
}

// A name holding a control byte could rewrite the terminal; it is printed
// as `ls --quoting-style=shell-escape` prints it (the outside judge), on
// standard output and in messages alike.
TEST_F(ConvertTest, NamesWithControlBytesArePrintedAsLsQuotesThem) {
    const std::vector<std::string> sources{"tab\there.txt", "line\nbreak.txt", "esc\x1b[2J.txt",
                                           "it's\x7f.txt",  "Grüße\x01.txt",   "\xff\x02.txt"};
    auto lsQuoted = [&](const std::string& name) {
        ProcessResult listed =
            runProcess({"ls", "-1d", "--quoting-style=shell-escape", "--", name}, dir.path());
        EXPECT_EQ(listed.exitStatus, 0) << listed.err;
        return listed.out.substr(0, listed.out.size() - 1);
    };
    auto pdfOf = [](const std::string& source) {
        return source.substr(0, source.size() - 3) + "pdf";
    };
    for (const std::string& source : sources) put(source, "x\n");

    ProcessResult first = convert(sources);
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    std::string listed;
    for (const std::string& source : sources) listed += lsQuoted(pdfOf(source)) + "\n";
    EXPECT_EQ(first.out, listed);
    EXPECT_NE(listed.find("$'\\033'"), std::string::npos);

    ProcessResult again = convert(sources);
    EXPECT_EQ(again.exitStatus, 1);
    std::string skipped;
    for (const std::string& source : sources) {
        skipped += "leafwright-cli: " + lsQuoted(source) + ": skipped, " + lsQuoted(pdfOf(source)) +
                   " already exists (--force replaces it)\n";
    }
    EXPECT_EQ(again.err, skipped);
}

// The paths on standard output are the run's result: a write there that
// fails is reported and fails the run, though the PDF itself was written.
TEST_F(ConvertTest, AFailedWriteToStandardOutputIsAFailure) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    put("a.txt", "text\n");
    auto intoFullDevice = [&](const std::string& arguments) {
        return runProcess({"sh", "-c", "exec \"$0\" " + arguments + " > /dev/full", LEAFWRIGHT_CLI},
                          dir.path());
    };
    ProcessResult result = intoFullDevice("convert a.txt");
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.err, "leafwright-cli: standard output: No space left on device\n");
    EXPECT_TRUE(fs::exists(path("a.pdf")));
    EXPECT_EQ(intoFullDevice("--help").exitStatus, 1);
}

TEST_F(ConvertTest, OptionsFillTheDocumentInformation) {
    put("a.txt", "x\n");
    put("b.txt", "y\n");

    ProcessResult result =
        convert({"--title=Plan (draft) \\ v2", "--author", "Zoë", "--keywords", "k1 k2", "a.txt"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    std::string info = pdfInfo(path("a.pdf"));
    EXPECT_NE(info.find("Title:           Plan (draft) \\ v2\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Author:          Zoë\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Keywords:        k1 k2\n"), std::string::npos) << info;
    EXPECT_NE(info.find("Producer:        Leafwright by "), std::string::npos) << info;

    ASSERT_EQ(convert({"--creator", "", "b.txt"}).exitStatus, 0);
    info = pdfInfo(path("b.pdf"));
    EXPECT_EQ(info.find("Producer:        Leafwright"), std::string::npos) << info;
    expectFaithfulPdf(path("b.pdf"), "y\n");
}

TEST_F(ConvertTest, UsageErrorsExitTwoAndWriteNothing) {
    put("a.txt", "text\n");
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--force"},
        {"-", "a.txt"},
        {"a.txt", "--", "-"},
        {"--bogus", "a.txt"},
        {"a.txt", "--title"},
        {"--force=yes", "a.txt"},
        {"--config", "-", "a.txt"},
        {"a.txt", ""},
        {"--config", "", "a.txt"},
        {"--output-dir=", "a.txt"},
    };
    for (const std::vector<std::string>& args : cases) {
        ProcessResult result = convert(args);
        EXPECT_EQ(result.exitStatus, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(result.err.rfind("leafwright-cli: ", 0), 0u) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_NE(convert({"-"}).err.find("standard input"), std::string::npos);
    EXPECT_NE(convert({"--", ""}).err.find("an empty file name"), std::string::npos);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST_F(ConvertTest, HelpDescribesOptionsAndExitStatuses) {
    ProcessResult result = convert({"--help"});
    EXPECT_EQ(result.exitStatus, 0);
    for (const char* topic : {"--config", "--output-dir", "--creator", "--force", "--",
                              "standard input", "Exit status", "  2  "}) {
        EXPECT_NE(result.out.find(topic), std::string::npos) << topic;
    }
}

}  // namespace
}  // namespace leafwright::testing
