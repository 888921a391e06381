// A write that fails midway, made real with a file-size limit on the
// program: the old output must stay as it was, no temporary file may be
// left, and the file must be reported as failed, never as done.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

// Runs leafwright-cli with its files limited to `bytes`.
ProcessResult runLimited(std::size_t bytes, const std::vector<std::string>& args,
                         const std::string& folder) {
    std::vector<std::string> command{"prlimit", "--fsize=" + std::to_string(bytes), "--",
                                     LEAFWRIGHT_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return runProcess(command, folder);
}

std::string manyLines() {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line number " + std::to_string(i) + "\n";
    return text;
}

TEST(WriteFailure, ConvertKeepsTheOldPdfAndReportsTheFailure) {
    if (!haveProgram("prlimit")) GTEST_SKIP() << "prlimit not installed";
    TempDir dir;
    writeBytes(dir.file("a.txt"), manyLines());
    writeBytes(dir.file("a.pdf"), "the PDF from before");
    writeBytes(dir.file("b.txt"), "small\n");

    ProcessResult result = runLimited(8192, {"convert", "--force", "a.txt", "b.txt"}, dir.path());

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "b.pdf\n");  // the file that fits is still done
    EXPECT_EQ(result.err, "leafwright-cli: a.pdf: File too large (converting a.txt)\n");
    EXPECT_EQ(readBytes(dir.file("a.pdf")), "the PDF from before");
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"a.pdf", "a.txt", "b.pdf", "b.txt"}));
}

TEST(WriteFailure, UnspoolKeepsTheOldTextAndReportsTheFailure) {
    if (!haveProgram("prlimit")) GTEST_SKIP() << "prlimit not installed";
    TempDir dir;
    writeBytes(dir.file("doc.txt"), manyLines());
    ASSERT_EQ(runProcess({LEAFWRIGHT_CLI, "convert", "doc.txt"}, dir.path()).exitStatus, 0);
    writeBytes(dir.file("doc.txt"), "the text from before");

    // The PDF (about 170 KB) may be read; only the text written is limited.
    ProcessResult result = runLimited(8192, {"unspool", "--force", "doc.pdf"}, dir.path());

    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "leafwright-cli: doc.txt: File too large (extracting doc.pdf)\n");
    EXPECT_EQ(readBytes(dir.file("doc.txt")), "the text from before");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"doc.pdf", "doc.txt"}));
}

}  // namespace
}  // namespace leafwright::testing
