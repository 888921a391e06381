// Inputs a user should never meet but will: each must end in a clear message
// naming the file, and leave nothing lost or half-written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/pdf_structure.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

namespace fs = std::filesystem;

bool qpdfAcceptsWithoutWarning(const std::string& pdf) {
    ProcessResult check = runProcess({"qpdf", "--check", pdf});
    return check.exitStatus == 0 && check.out.find("WARNING") == std::string::npos &&
           check.err.empty();
}

// The zlib-compressed form of "BT\n/F1 14 Tf\n(secret words)'\nET\n", as a
// FlateDecode stream holds it.
const std::string kDeflated(
    "\x78\x9c\x73\x0a\xe1\xd2\x77\x33\x54\x30\x34\x51\x08\x49\xe3\xd2\x28\x4e\x4d\x2e\x4a\x2d\x51"
    "\x28\xcf\x2f\x4a\x29\xd6\x54\xe7\x72\x0d\xe1\x02\x00\x88\xac\x08\xaa",
    40);

class BadInputTest : public ::testing::Test {
  protected:
    ProcessResult run(const std::string& command, std::vector<std::string> args) {
        args.insert(args.begin(), {LEAFWRIGHT_CLI, command});
        return runProcess(args, dir.path());
    }
    // Runs as a user the file permissions apply to. Root reads and writes
    // whatever the permissions say, so as root the command runs as "nobody"
    // (the folder is opened to it); nullopt when that is not possible.
    std::optional<ProcessResult> runUnprivileged(const std::string& command,
                                                 std::vector<std::string> args) {
        args.insert(args.begin(), {LEAFWRIGHT_CLI, command});
        if (::geteuid() == 0) {
            if (!haveProgram("setpriv")) return std::nullopt;
            fs::permissions(dir.path(), fs::perms::all);
            args.insert(args.begin(),
                        {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        }
        return runProcess(args, dir.path());
    }
    std::string path(const std::string& name) const { return dir.file(name); }
    void put(const std::string& name, const std::string& bytes) const {
        writeBytes(path(name), bytes);
        fs::permissions(path(name), fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read | fs::perms::others_read);
    }
    std::string samplePdf(const std::string& text) {
        put("sample.txt", text);
        EXPECT_EQ(run("convert", {"sample.txt"}).exitStatus, 0);
        std::string pdf = readBytes(path("sample.pdf"));
        fs::remove(path("sample.txt"));
        fs::remove(path("sample.pdf"));
        return pdf;
    }

    TempDir dir;
};

TEST_F(BadInputTest, UnreadableSourceIsNamedAndNothingIsWritten) {
    put("secret.txt", "private\n");
    put("secret.pdf", "a PDF from before\n");
    fs::permissions(path("secret.txt"), fs::perms::none);

    for (const std::string command : {"convert", "unspool"}) {
        std::string source = command == "convert" ? "secret.txt" : "secret.pdf";
        if (command == "unspool") fs::permissions(path("secret.pdf"), fs::perms::none);
        std::optional<ProcessResult> result = runUnprivileged(command, {"--force", source});
        if (!result) GTEST_SKIP() << "running as root without setpriv: permissions do not apply";
        EXPECT_EQ(result->exitStatus, 1) << command;
        EXPECT_EQ(result->out, "");
        EXPECT_NE(result->err.find("leafwright-cli: " + source + ": Permission denied"),
                  std::string::npos)
            << result->err;
    }
    fs::permissions(path("secret.txt"), fs::perms::owner_read);
    fs::permissions(path("secret.pdf"), fs::perms::owner_read);
    EXPECT_EQ(readBytes(path("secret.txt")), "private\n");
    EXPECT_EQ(readBytes(path("secret.pdf")), "a PDF from before\n");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"secret.pdf", "secret.txt"}));
}

TEST_F(BadInputTest, OutputFolderWithoutWritePermissionIsNamed) {
    put("a.txt", "text\n");
    fs::create_directory(path("locked"));
    put("locked/doc.pdf", "BT\n(inside)'\nET\n");
    fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec |
                                        fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);

    std::optional<ProcessResult> converted =
        runUnprivileged("convert", {"--output-dir", "locked", "a.txt"});
    if (!converted) GTEST_SKIP() << "running as root without setpriv: permissions do not apply";
    EXPECT_EQ(converted->exitStatus, 1);
    EXPECT_EQ(converted->out, "");
    EXPECT_NE(converted->err.find("locked/a.pdf: Permission denied (converting a.txt)"),
              std::string::npos)
        << converted->err;

    std::optional<ProcessResult> extracted = runUnprivileged("unspool", {"locked/doc.pdf"});
    EXPECT_EQ(extracted->exitStatus, 1);
    EXPECT_EQ(extracted->out, "");
    EXPECT_NE(extracted->err.find("locked/doc.txt: Permission denied"), std::string::npos)
        << extracted->err;

    EXPECT_EQ(listFolder(path("locked")), std::vector<std::string>{"doc.pdf"});
}

TEST_F(BadInputTest, OutputPathThatIsAFolderIsLeftAlone) {
    put("a.txt", "text\n");
    fs::create_directory(path("a.pdf"));
    put("doc.pdf", "BT\n(inside)'\nET\n");
    fs::create_directory(path("doc.txt"));

    for (const std::vector<std::string>& args : {std::vector<std::string>{"convert", "a.txt"},
                                                 {"convert", "--force", "a.txt"},
                                                 {"unspool", "doc.pdf"},
                                                 {"unspool", "--force", "doc.pdf"}}) {
        ProcessResult result = run(args[0], {args.begin() + 1, args.end()});
        const std::string output = args[0] == "convert" ? "a.pdf" : "doc.txt";
        EXPECT_EQ(result.exitStatus, 1) << args.back();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(output), std::string::npos) << result.err;
        EXPECT_TRUE(fs::is_directory(path(output)));
        EXPECT_TRUE(fs::is_empty(path(output)));
    }
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"a.pdf", "a.txt", "doc.pdf", "doc.txt"}));
}

TEST_F(BadInputTest, EveryByteValueMakesASoundDocumentAndASoundText) {
    std::string bytes;
    for (int round = 0; round < 3; ++round)
        for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
    put("binary.txt", bytes);
    put("binary.pdf.pdf", bytes);

    ProcessResult converted = run("convert", {"binary.txt"});
    EXPECT_EQ(converted.exitStatus, 0) << converted.err;
    EXPECT_EQ(checkPdfStructure(readBytes(path("binary.pdf"))).fault, "");
    if (haveProgram("qpdf")) {
        EXPECT_TRUE(qpdfAcceptsWithoutWarning(path("binary.pdf")));
    }

    // The same bytes given to Unspool as if they were a PDF.
    ProcessResult extracted = run("unspool", {"binary.pdf.pdf"});
    EXPECT_EQ(extracted.exitStatus, 0) << extracted.err;
    EXPECT_EQ(extracted.out, "binary.pdf.txt\n");
    EXPECT_EQ(readBytes(path("binary.txt")), bytes);
}

TEST_F(BadInputTest, InvalidUtf8FallsBackToWindows1252AndAByteOrderMarkIsDropped) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "pdftotext not installed";
    put("latin.txt", "caf\xe9 na\xefve \x80 \xff\n");
    put("marked.txt",
        "\xEF\xBB\xBF"
        "first\nsecond \xC3\xA9\n");

    ProcessResult result = run("convert", {"latin.txt", "marked.txt"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(runProcess({"pdftotext", "-enc", "UTF-8", path("latin.pdf"), "-"}).out,
              "café naïve € ÿ\n\n\f");  // 0x80 is the euro sign, drawn from an embedded font
    EXPECT_EQ(runProcess({"pdftotext", "-enc", "UTF-8", path("marked.pdf"), "-"}).out,
              "first\nsecond é\n\n\f");
}

TEST_F(BadInputTest, HundredMegabyteLineGoesThroughBothWays) {
    std::string line(100u << 20, 'x');
    for (std::size_t at = 0; at < line.size(); at += 61)
        line[at] = static_cast<char>('a' + at % 26);
    put("long.txt", line + "\n");
    fs::create_directory(path("out"));

    ProcessResult converted = run("convert", {"--output-dir", "out", "long.txt"});
    ASSERT_EQ(converted.exitStatus, 0) << converted.err;
    EXPECT_EQ(checkPdfStructure(readBytes(path("out/long.pdf"))).fault, "");

    ProcessResult extracted = run("unspool", {"out/long.pdf"});
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
    EXPECT_TRUE(readBytes(path("out/long.txt")) == line + "\r\n");
}

// Under a memory limit a long line may not fit; that file is then a failed
// file, named with its cause, and the small file after it is still done.
TEST_F(BadInputTest, MemoryRunningOutFailsOneFileAndTheRunGoesOn) {
    const std::vector<std::string> command =
        withMemoryLimit({LEAFWRIGHT_CLI, "convert", "long.txt", "small.txt"}, 80'000'000);
    if (command.empty()) GTEST_SKIP() << "no memory limit can be set for the program here";
    put("long.txt", std::string(48u << 20, 'y') + "\n");
    put("small.txt", "small\n");
    ProcessResult result = runProcess(command, dir.path());
    if (fs::exists(path("long.pdf"))) {
        // A build that streams the line needs no more memory than this.
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_EQ(result.out, "long.pdf\nsmall.pdf\n");
    } else {
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, "leafwright-cli: long.txt: out of memory\n");
        EXPECT_EQ(result.out, "small.pdf\n");
    }
    EXPECT_EQ(checkPdfStructure(readBytes(path("small.pdf"))).fault, "");
}

TEST_F(BadInputTest, MillionEmptyLinesMakeEveryPageAndComeBack) {
    put("empty.txt", std::string(1000000, '\n'));

    ProcessResult converted = run("convert", {"empty.txt"});
    ASSERT_EQ(converted.exitStatus, 0) << converted.err;
    PdfStructure structure = checkPdfStructure(readBytes(path("empty.pdf")));
    EXPECT_EQ(structure.fault, "");
    // 49 lines fit on a start-up page: 20409 pages of three objects each.
    EXPECT_EQ(structure.objects, 6u + 3 * 20409);
    // (qpdf is left out here: checking twenty thousand pages takes it minutes.)

    fs::remove(path("empty.txt"));
    ProcessResult extracted = run("unspool", {"empty.pdf"});
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
    std::string text = readBytes(path("empty.txt"));
    EXPECT_EQ(text.size(), 2000000u);
    EXPECT_EQ(text.find_first_not_of("\r\n"), std::string::npos);
}

TEST_F(BadInputTest, ConfigurationWithHugeLinesOrBinaryIsRefusedOrHarmless) {
    put("a.txt", "text\n");
    const std::vector<std::string> lines{"A4  [595,842]", "Times-Roman", "14",           "Black",
                                         "White",         "0",           "36",           "36",
                                         "FALSE",         "FALSE",       "Default Path", "FALSE"};
    auto config = [&](int number, const std::string& value) {
        std::string text;
        for (int n = 1; n <= 12; ++n) text += (n == number ? value : lines[n - 1]) + "\r\n";
        return text;
    };
    const std::string huge(1u << 20, '7');
    std::string binary;
    for (int byte = 0; byte < 256 * 4; ++byte) binary += static_cast<char>(byte % 256);

    struct Case {
        std::string name, text, message;
    };
    const std::vector<Case> refused{
        {"font.tcf", config(2, huge), "font.tcf: the font line holds a value not offered"},
        {"size.tcf", config(3, huge), "size.tcf: the font size line holds a value not offered"},
        {"rotation.tcf", config(6, "a (b) /c"),
         "rotation.tcf: the rotation line holds a value not offered"},
        {"margin.tcf", config(7, huge), "margin.tcf: a margin holds more than 4 characters"},
        {"folder.tcf",
         config(10, "TRUE")
             .replace(config(10, "TRUE").find("Default Path"), 12, "/nowhere/" + huge),
         "folder.tcf: The path dose not exist!"},
        {"binary.tcf", binary, "binary.tcf: the font line holds a value not offered"},
    };
    for (const Case& c : refused) {
        put(c.name, c.text);
        ProcessResult result = run("convert", {"--config", c.name, "a.txt"});
        EXPECT_EQ(result.exitStatus, 2) << c.name;
        EXPECT_EQ(result.err, "leafwright-cli: " + c.message + "\n") << c.name;
        EXPECT_FALSE(fs::exists(path("a.pdf"))) << c.name;
    }

    // Lines the derivation passes over when no list holds them keep their
    // start-up values, and the document stays sound.
    for (int number : {1, 4, 5}) {
        put("harmless.tcf", config(number, std::string(1u << 20, 'z')));
        ProcessResult result = run("convert", {"--force", "--config", "harmless.tcf", "a.txt"});
        EXPECT_EQ(result.exitStatus, 0) << number << result.err;
        if (haveProgram("qpdf")) {
            EXPECT_TRUE(qpdfAcceptsWithoutWarning(path("a.pdf"))) << number;
        }
    }
}

TEST_F(BadInputTest, UnspoolOfCompressedOrEmptyPdfWritesNoGarbage) {
    const std::string compressed =
        "%PDF-1.3\n1 0 obj\n<< /Length 40 /Filter /FlateDecode >>\n"
        "stream\n" +
        kDeflated + "\nendstream\nendobj\n%%EOF\n";
    put("compressed.pdf", compressed);
    put("empty.pdf", "");
    put("made.pdf", samplePdf("kept words\n"));

    ProcessResult result = run("unspool", {"compressed.pdf", "empty.pdf", "made.pdf"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "compressed.txt\nempty.txt\nmade.txt\n");
    // The compressed text cannot be read without inflating it: nothing of it
    // (nor of its compressed bytes) comes out.
    EXPECT_EQ(readBytes(path("compressed.txt")), "");
    EXPECT_EQ(readBytes(path("empty.txt")), "");
    EXPECT_EQ(readBytes(path("made.txt")), "kept words\r\n");
    EXPECT_EQ(readBytes(path("compressed.pdf")), compressed);
}

// A file that is no PDF, or a PDF cut short, gives what can be read of it,
// as any file does; a warning naming it says why that is nothing (no PDF)
// or may be less than the document held (cut short).
TEST_F(BadInputTest, UnspoolWarnsOfAFileThatIsNoPdfOrIsCutShort) {
    const std::string whole = samplePdf("first line\nsecond line\n");
    put("whole.pdf", whole);
    put("notes.pdf", "BT\n(plain words)'\nET\n");
    put("random.pdf", std::string("\x8f\x03\xd1\0\x7fz", 6) + "\n\xee\xff");
    const std::size_t cut = whole.find("second");
    ASSERT_NE(cut, std::string::npos);
    put("half.pdf", whole.substr(0, cut + 3));

    ProcessResult result = run("unspool", {"whole.pdf", "notes.pdf", "random.pdf", "half.pdf"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "whole.txt\nnotes.txt\nrandom.txt\nhalf.txt\n");
    EXPECT_EQ(result.err,
              "leafwright-cli: random.pdf: it is not a PDF document (it does not begin with "
              "%PDF-); no text was extracted\n"
              "leafwright-cli: half.pdf: it ends before the end of a PDF document (%%EOF): it "
              "may have been cut short, and its text with it\n");
    EXPECT_EQ(readBytes(path("whole.txt")), "first line\r\nsecond line\r\n");
    EXPECT_EQ(readBytes(path("notes.txt")), "plain words\r\n");
    EXPECT_EQ(readBytes(path("random.txt")), "");
    EXPECT_EQ(readBytes(path("half.txt")).rfind("first line\r\n", 0), 0u);
}

TEST_F(BadInputTest, UnspoolTakesAwkwardFileNames) {
    const std::vector<std::string> names{"my doc.pdf", "it's \"quoted\".pdf", "Grüße.pdf",
                                         "-dash.pdf"};
    const std::string pdf = samplePdf("named\n");
    for (const std::string& name : names) put(name, pdf);

    ProcessResult result =
        run("unspool", {"my doc.pdf", "it's \"quoted\".pdf", "Grüße.pdf", "./-dash.pdf"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "my doc.txt\nit's \"quoted\".txt\nGrüße.txt\n./-dash.txt\n");
    for (const std::string& name : names)
        EXPECT_EQ(readBytes(path(name.substr(0, name.size() - 3) + "txt")), "named\r\n") << name;
}

}  // namespace
}  // namespace leafwright::testing
