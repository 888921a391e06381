#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

// A small file gets a buffer of its own size; bytes appended after it was
// opened (longer lines, more lines) must still come out whole.
TEST(TextFileReader, SmallFileThatGrowsAfterOpeningIsReadWhole) {
    TempDir dir;
    std::string path = dir.file("grows.txt");
    testing::writeBytes(path, "ab\ncd");
    TextFileReader reader(path);
    std::string longLine(20000, 'x');
    {
        std::ofstream more(path, std::ios::binary | std::ios::app);
        more << "ef\n" << longLine << "\r\nlast";
    }
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.readLine(line)) lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cdef", longLine, "last"}));
    reader.rewind();
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, "ab");
}

class UmaskGuard {
  public:
    explicit UmaskGuard(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskGuard() { ::umask(old_); }

  private:
    mode_t old_;
};

TEST(TextFileWriter, NewFileGetsTheModeTheUmaskAllowsAndAReplacedFileKeepsItsMode) {
    TempDir dir;
    UmaskGuard mask(027);
    std::string fresh = dir.file("fresh.pdf");
    TextFileWriter first(fresh);
    first.write("x\n");
    first.commit();
    EXPECT_EQ(testing::fileMode(fresh), 0640u);

    std::string kept = dir.file("kept.pdf");
    testing::writeBytes(kept, "old");
    ASSERT_EQ(::chmod(kept.c_str(), 0604), 0);
    TextFileWriter second(kept);
    second.write("new\n");
    second.commit();
    EXPECT_EQ(testing::fileMode(kept), 0604u);
    EXPECT_EQ(testing::readBytes(kept), "new\r\n");
    EXPECT_EQ(testing::listFolder(dir.path()), (std::vector<std::string>{"fresh.pdf", "kept.pdf"}));
}

// The buffer starts small and grows while the file is written: every byte
// must arrive in order, whatever the sizes of the pieces.
TEST(TextFileWriter, PiecesOfEverySizeArriveInOrderAcrossBufferGrowth) {
    TempDir dir;
    std::string path = dir.file("pieces.bin");
    std::string expected;
    TextFileWriter writer(path);
    for (std::size_t size = 1, round = 0; expected.size() < (3u << 20); ++round) {
        std::string piece(size, static_cast<char>('a' + round % 26));
        writer.writeRaw(piece);
        expected += piece;
        size = size * 3 + 1;
        if (size > (1u << 20)) size = 7;
    }
    EXPECT_EQ(writer.position(), expected.size());
    writer.commit();
    EXPECT_EQ(testing::readBytes(path), expected);
}

}  // namespace
}  // namespace leafwright
