#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using CommandResult = testing::ProcessResult;
using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

const std::string kPdf = "BT\n/F1 14 Tf\n(Hello \\(world\\))'\n(first part\nsecond part)'\nET\n";
const std::string kText = "Hello (world)\r\nfirst partsecond part\r\n";

CommandResult unspool(const std::vector<std::string>& args, const std::string& folder) {
    std::vector<std::string> command = {LEAFWRIGHT_CLI, "unspool"};
    command.insert(command.end(), args.begin(), args.end());
    return testing::runProcess(command, folder);
}

TEST(UnspoolCommand, ExtractsEachFileInOrderAndPrintsItsPath) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    writeBytes(dir.file("b.pdf"), "BT\n(b)'\nET\n");
    std::filesystem::create_directory(dir.file("sub dir"));
    writeBytes(dir.file("sub dir/c.pdf"), "BT\n(c)'\nET\n");
    CommandResult result = unspool({"b.pdf", "a.pdf", dir.file("sub dir/c.pdf")}, dir.path());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "b.txt\na.txt\n" + dir.file("sub dir/c.txt") + "\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readBytes(dir.file("a.txt")), kText);
    EXPECT_EQ(readBytes(dir.file("b.txt")), "b\r\n");
    EXPECT_EQ(readBytes(dir.file("sub dir/c.txt")), "c\r\n");
}

TEST(UnspoolCommand, ExistingOutputIsSkippedUnlessForced) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    writeBytes(dir.file("a.txt"), "older");
    writeBytes(dir.file("b.pdf"), "BT\n(b)'\nET\n");
    CommandResult skipped = unspool({"a.pdf", "b.pdf"}, dir.path());
    EXPECT_EQ(skipped.exitStatus, 1);
    EXPECT_EQ(skipped.out, "b.txt\n");
    EXPECT_NE(skipped.err.find("leafwright-cli: a.pdf: "), std::string::npos) << skipped.err;
    EXPECT_NE(skipped.err.find("--force"), std::string::npos) << skipped.err;
    EXPECT_EQ(readBytes(dir.file("a.txt")), "older");

    CommandResult forced = unspool({"--force", "a.pdf"}, dir.path());
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    EXPECT_EQ(forced.out, "a.txt\n");
    EXPECT_EQ(readBytes(dir.file("a.txt")), kText);
}

TEST(UnspoolCommand, FailingFileDoesNotStopTheOthers) {
    TempDir dir;
    writeBytes(dir.file("notes.txt"), kPdf);
    writeBytes(dir.file("b.pdf"), "BT\n(b)'\nET\n");
    std::filesystem::create_directory(dir.file("folder.txt"));
    writeBytes(dir.file("folder.pdf"), kPdf);
    CommandResult result = unspool({"missing.pdf", "notes.txt", "folder.pdf", "b.pdf"}, dir.path());
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "b.txt\n");
    EXPECT_NE(result.err.find("leafwright-cli: missing.pdf: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("leafwright-cli: notes.txt: "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("leafwright-cli: folder.txt: "), std::string::npos) << result.err;
    // The text source was refused, not overwritten; no output for the missing one.
    EXPECT_EQ(readBytes(dir.file("notes.txt")), kPdf);
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"b.pdf", "b.txt", "folder.pdf",
                                                                "folder.txt", "notes.txt"}));
}

TEST(UnspoolCommand, UsageErrorsAndHelp) {
    TempDir dir;
    writeBytes(dir.file("-odd.pdf"), kPdf);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "a.pdf"}, {"-odd.pdf"}, {"-"}, {"--force"}, {"--", ""}}) {
        CommandResult result = unspool(args, dir.path());
        EXPECT_EQ(result.exitStatus, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("leafwright-cli: "), std::string::npos);
    }
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"-odd.pdf"});

    // After "--" a leading "-" is a file name.
    CommandResult dashed = unspool({"--", "-odd.pdf"}, dir.path());
    EXPECT_EQ(dashed.exitStatus, 0) << dashed.err;
    EXPECT_EQ(dashed.out, "-odd.txt\n");
    EXPECT_EQ(readBytes(dir.file("-odd.txt")), kText);

    CommandResult help = unspool({"--help"}, dir.path());
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("unspool [--force] FILE..."), std::string::npos);
}

TEST(UnspoolCommand, WarnsWhenCompressedContentGaveNoText) {
    TempDir dir;
    writeBytes(dir.file("zip.pdf"),
               "%PDF-1.3\r\n4 0 obj << /Length 3 /Filter /FlateDecode >>\r\nstream\r\nx\x9C\x03\r\n"
               "endstream\r\nendobj\r\n%%EOF\r\n");
    writeBytes(dir.file("b.pdf"), "BT\n(b)'\nET\n");
    CommandResult result = unspool({"zip.pdf", "b.pdf"}, dir.path());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "zip.txt\nb.txt\n");
    EXPECT_EQ(result.err,
              "leafwright-cli: zip.pdf: its page content is compressed; no text was extracted\n");
    EXPECT_EQ(readBytes(dir.file("zip.txt")), "");
}

// A line of any length is read in pieces: a 96 MB one-line content stream
// extracts within an address space far smaller than the line and its text.
TEST(UnspoolCommand, VeryLongLineNeedsNoMemoryOfItsSize) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit";
#else
    if (!std::filesystem::exists("/usr/bin/prlimit")) GTEST_SKIP() << "no prlimit";
    TempDir dir;
    const std::string chunk = "word \\(x\\) \\\\ \x8E ";
    const std::string chunkText = "word (x) \\ \u00E9 ";
    constexpr int kChunks = 96 * 1024 * 1024 / 18;
    {
        std::ofstream pdf(dir.file("long.pdf"), std::ios::binary);
        pdf << "%PDF-1.3\r\n1 0 obj << /Length 0 >>\r\nstream\r\nBT /F1 12 Tf (";
        for (int k = 0; k < kChunks; ++k) pdf << chunk;
        pdf << ") Tj ET\r\nendstream\r\nendobj\r\n";
    }
    CommandResult result = testing::runProcess(
        {"/usr/bin/prlimit", "--as=200000000", LEAFWRIGHT_CLI, "unspool", "long.pdf"}, dir.path());
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    const std::string text = readBytes(dir.file("long.txt"));
    ASSERT_EQ(text.size(), chunkText.size() * kChunks + 2);
    for (std::size_t at = 0; at + 2 < text.size(); at += chunkText.size())
        ASSERT_EQ(text.compare(at, chunkText.size(), chunkText), 0) << at;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
#endif
}

}  // namespace
}  // namespace leafwright
