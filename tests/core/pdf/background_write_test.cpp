// A long document is written on a second thread while the rest is made: the
// bytes must be those of writing it all on one thread, in both layouts, and
// a write that fails there fails the file as before.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>

#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "core/platform/text_file_writer.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

std::string convertedBytes(const std::string& source, const std::string& output, bool selfAdapting,
                           bool background) {
    TextFileWriter::backgroundWrites = background;
    ConversionSettings settings;
    settings.chosen.selfAdaptation = selfAdapting ? 1 : 0;
    convertFile(source, output, settings);
    TextFileWriter::backgroundWrites = true;
    return readBytes(output);
}

TEST(BackgroundWrite, LongDocumentsAreTheBytesOfOneThread) {
    TempDir dir;
    std::string text;
    for (int i = 0; text.size() < 12'000'000; ++i)
        text += "line " + std::to_string(i) + " (with parens) and a \\ backslash\n";
    writeBytes(dir.file("long.txt"), text);
    for (bool selfAdapting : {false, true}) {
        const std::string oneThread =
            convertedBytes(dir.file("long.txt"), dir.file("one.pdf"), selfAdapting, false);
        const std::string twoThreads =
            convertedBytes(dir.file("long.txt"), dir.file("two.pdf"), selfAdapting, true);
        EXPECT_GT(oneThread.size(), 12'000'000u);
        EXPECT_TRUE(oneThread == twoThreads) << "self-adapting " << selfAdapting;
    }

    // A write that fails on the second thread (past a file-size limit of
    // 3 MB, as on a full disk) fails the file, naming it; the old one stays.
    writeBytes(dir.file("one.pdf"), "old contents");
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 3 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ConversionSettings settings;
    try {
        convertFile(dir.file("long.txt"), dir.file("one.pdf"), settings);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("one.pdf"));
        EXPECT_EQ(error.cause(), "File too large");
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(readBytes(dir.file("one.pdf")), "old contents");
}
}  // namespace
}  // namespace leafwright
