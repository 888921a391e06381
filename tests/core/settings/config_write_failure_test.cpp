// Saving a configuration onto a disk that fills up midway: the file saved
// before stays as it was and no temporary file is left beside it.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

// Runs the save in a child process whose files may not grow past `limit`
// bytes. Returns 0 when it threw FileError, 1 when it claimed success.
int saveWithFileSizeLimit(const std::string& path, const ChosenValues& values, rlim_t limit) {
    pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
        rlimit small{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0) ::_exit(3);
        try {
            writeConfigFile(path, values);
        } catch (const FileError& error) {
            ::_exit(error.path() == path ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(ConfigWriteFailure, OldFileStaysAndNoTemporaryIsLeft) {
    testing::TempDir dir;
    const std::string path = dir.file("mine.tcf");
    testing::writeBytes(path, "the settings saved before\r\n");

    ChosenValues values = defaultConfigValues();
    values.customFolder = 1;
    values.folder = "/a/folder/" + std::string(300, 'f');  // about 400 bytes in all

    EXPECT_EQ(saveWithFileSizeLimit(path, values, 100), 0);
    EXPECT_EQ(testing::readBytes(path), "the settings saved before\r\n");
    EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"mine.tcf"});

    // Without the limit the same save goes through.
    EXPECT_EQ(saveWithFileSizeLimit(path, values, RLIM_INFINITY), 1);
    EXPECT_EQ(readConfigFile(path).folder, values.folder);
}

}  // namespace
}  // namespace leafwright
