// Sources the command line must get through without hanging or running out
// of memory: devices and pipes given as sources, and lines of any length.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/pdf_structure.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

namespace fs = std::filesystem;

bool builtWithAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

class SourceLimitsTest : public ::testing::Test {
  protected:
    ProcessResult convert(std::vector<std::string> args) {
        args.insert(args.begin(), {LEAFWRIGHT_CLI, "convert"});
        return runProcess(args, dir.path());
    }
    std::string path(const std::string& name) const { return dir.file(name); }

    TempDir dir;
};

// A device, a pipe without a writer and a link to a device are each refused
// at once, naming them, and the files after them are still converted.
TEST_F(SourceLimitsTest, DevicesAndPipesAreRefusedAndTheRunGoesOn) {
    ASSERT_EQ(::mkfifo(path("pipe.txt").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", path("zero.txt").c_str()), 0);
    writeBytes(path("a.txt"), "after them\n");
    fs::create_directory(path("out"));

    ProcessResult result =
        convert({"--output-dir", "out", "/dev/zero", "pipe.txt", "zero.txt", "a.txt"});
    EXPECT_EQ(result.exitStatus, 1);
    for (std::string name : {"/dev/zero", "pipe.txt", "zero.txt"})
        EXPECT_NE(result.err.find("leafwright-cli: " + name + ": not a regular file"),
                  std::string::npos)
            << result.err;
    EXPECT_EQ(listFolder(path("out")), std::vector<std::string>{"a.pdf"});
    EXPECT_EQ(checkPdfStructure(readBytes(path("out/a.pdf"))).fault, "");
}

// A line of 300 MB goes through in an address space of 200 MB, in both
// layouts, and a small file after it as well: memory does not grow with the
// length of a line. (AddressSanitizer reserves far more address space than
// that, so its builds cannot take part.)
TEST_F(SourceLimitsTest, LongLineConvertsInABoundedAddressSpace) {
    if (builtWithAddressSanitizer())
        GTEST_SKIP() << "AddressSanitizer needs an unlimited address space";
    if (!haveProgram("prlimit")) GTEST_SKIP() << "no prlimit";
    {
        std::ofstream big(path("big.txt"), std::ios::binary);
        std::string block(1 << 20, 'x');
        for (std::size_t at = 0; at < block.size(); at += 61) block[at] = "(a\\b)"[at % 5];
        for (int i = 0; i < 300; ++i)
            big.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    writeBytes(path("small.txt"), "small\n");
    writeBytes(path("adapt.tcf"),
               "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n"
               "FALSE\r\nFALSE\r\nDefault Path\r\nTRUE\r\n");
    for (bool adapting : {false, true}) {
        SCOPED_TRACE(adapting ? "self-adapting" : "paginated");
        std::vector<std::string> args = {"prlimit", "--as=200000000", LEAFWRIGHT_CLI, "convert",
                                         "--force"};
        if (adapting) args.insert(args.end(), {"--config", "adapt.tcf"});
        args.insert(args.end(), {"big.txt", "small.txt"});
        ProcessResult result = runProcess(args, dir.path());
        EXPECT_EQ(result.exitStatus, 0) << result.err;
        EXPECT_GT(fs::file_size(path("big.pdf")), 300u << 20);
        EXPECT_EQ(checkPdfStructure(readBytes(path("small.pdf"))).fault, "");
        fs::remove(path("big.pdf"));
    }
}

}  // namespace
}  // namespace leafwright::testing
