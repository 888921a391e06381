// The private folder that holds standard input and a document bound for
// standard output: private modes, and nothing left behind, signals included.
#include "core/platform/private_temporary_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/platform/signal_cleanup.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

TEST(PrivateTemporaryFolder, HoldsPrivateCopiesAndLeavesNothing) {
    TempDir dir;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    writeBytes(dir.file("source"), std::string(300000, 'x') + "end");
    {
        PrivateTemporaryFolder folder;
        const int created = folder.create("input");
        ASSERT_GE(created, 0);
        ::close(created);
        const std::string copy = folder.entry("input");
        EXPECT_EQ(testing::fileMode(copy), 0600u);
        EXPECT_EQ(testing::fileMode(copy.substr(0, copy.rfind('/'))), 0700u);
        const std::string output = folder.entry("output.pdf");
        writeBytes(output, "document");
        EXPECT_EQ(listFolder(dir.path()).size(), 2u);
        folder.remove("input");
        EXPECT_EQ(listFolder(copy.substr(0, copy.rfind('/'))),
                  std::vector<std::string>{"output.pdf"});
    }
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"source"});

    // A signal while the folder holds files removes them and the folder, and
    // ends the process by that signal.
    for (int signalNumber : {SIGINT, SIGTERM, SIGPIPE}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::signal(signalNumber, SIG_DFL);
            removeTemporaryFilesOnSignals();
            PrivateTemporaryFolder folder;
            folder.create("input");
            writeBytes(folder.entry("output.pdf"), "partial");
            ::raise(signalNumber);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"source"});
    }
    ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace leafwright
