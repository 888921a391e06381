// Standard input kept in a file without a name: readable through its path,
// invisible in the temporary folder, bounded, and gone with the object.
#include "core/platform/input_spool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class InputSpoolTest : public ::testing::Test {
  protected:
    InputSpoolTest() {
        ::mkdir(dir.file("tmp").c_str(), 0700);
        ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
        writeBytes(dir.file("source"), std::string(3 << 20, 'x') + "end");
    }
    ~InputSpoolTest() override { ::unsetenv("TMPDIR"); }

    int openSource() const { return ::open(dir.file("source").c_str(), O_RDONLY | O_CLOEXEC); }

    TempDir dir;
};

TEST_F(InputSpoolTest, HoldsTheInputUnderNoName) {
    const int source = openSource();
    {
        InputSpool spool(source, "-");
        EXPECT_EQ(listFolder(dir.file("tmp")), std::vector<std::string>{});
        EXPECT_EQ(readBytes(spool.path()), readBytes(dir.file("source")));
    }
    ::close(source);
    EXPECT_EQ(listFolder(dir.file("tmp")), std::vector<std::string>{});
}

TEST_F(InputSpoolTest, StopsPastItsBoundAndLeavesNothing) {
    const int source = openSource();
    try {
        InputSpool spool(source, "-", SpoolLimits{1 << 20, "--max-input 1M"});
        ADD_FAILURE() << "3 MB went into a spool of 1 MB";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), "-");
        EXPECT_EQ(error.cause(), "not read whole: more than --max-input 1M");
    }
    ::close(source);
    EXPECT_EQ(listFolder(dir.file("tmp")), std::vector<std::string>{});

    // The free space a spool leaves: 1 % of a small file system, at most
    // 256 MB of a large one.
    EXPECT_EQ(spoolReserve(std::uint64_t{10} << 30), (std::uint64_t{10} << 30) / 100);
    EXPECT_EQ(spoolReserve(std::uint64_t{1} << 40), std::uint64_t{256} << 20);
}

}  // namespace
}  // namespace leafwright
