// How a finished output takes its place: never over a file that appeared
// meanwhile without asking, private while it is written, nothing left behind
// by a signal, and a replaced file keeps its owner and mode.
#include "core/platform/pending_output.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "core/platform/pending_output_seam.h"
#include "core/platform/replacement_batch.h"
#include "core/platform/signal_cleanup.h"
#include "core/platform/text_file_writer.h"
#include "support/recording_run_handler.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Runs each test once with an unnamed temporary file and once with the named
// one that file systems without O_TMPFILE get.
class PendingOutputTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { seam.namedTemporary = GetParam(); }

    PendingOutputSeam seam;
};

INSTANTIATE_TEST_SUITE_P(Temporary, PendingOutputTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "named" : "unnamed"; });

TEST_P(PendingOutputTest, AFileThatAppearsWhileAnotherRunWritesIsAskedAboutAtCommit) {
    TempDir dir;
    for (const char* folder : {"d1", "d2", "out"}) ::mkdir(dir.file(folder).c_str(), 0700);
    writeBytes(dir.file("d1/x.txt"), "from d1\n");
    writeBytes(dir.file("d2/x.txt"), "from d2\n");
    ConversionSettings settings;
    settings.outputFolder = dir.file("out");

    // While run 1 writes out/x.pdf, run 2 converts d2/x.txt to the same path
    // and finishes first; run 1 then finds a PDF where there was none.
    testing::RecordingRunHandler first, second;
    first.overwrite = false;
    bool planted = false;
    seam.afterCreate = [&](const PendingOutput&) {
        if (std::exchange(planted, true)) return;
        ConversionSettings other = settings;
        runConversion({dir.file("d2/x.txt")}, other, second);
    };
    runConversion({dir.file("d1/x.txt")}, settings, first);

    EXPECT_EQ(second.events, std::vector<std::string>{"converted x.txt -> x.pdf"});
    EXPECT_EQ(first.events, (std::vector<std::string>{"ask x.txt", "declined x.txt"}));
    EXPECT_EQ(listFolder(dir.file("out")), std::vector<std::string>{"x.pdf"});
    EXPECT_NE(readBytes(dir.file("out/x.pdf")).find("(from d2)"), std::string::npos);
}

TEST_P(PendingOutputTest, CommitKeepsOrReplacesAnEntryAsTheQuestionSays) {
    TempDir dir;
    const std::string target = dir.file("out.txt");
    for (bool replace : {false, true}) {
        seam.afterCreate = [&](const PendingOutput&) { writeBytes(target, "planted"); };
        TextFileWriter writer(target);
        writer.write("new\n");
        int asked = 0;
        bool placed = writer.commit([&] {
            ++asked;
            return replace;
        });
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(placed, replace);
        EXPECT_EQ(readBytes(target), replace ? "new\r\n" : "planted");
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"out.txt"});
    }
}

TEST_P(PendingOutputTest, ADanglingLinkCountsAsAnEntryAndIsReplacedNotFollowed) {
    TempDir dir;
    const std::string target = dir.file("out.txt");
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), target.c_str()), 0);
    {
        TextFileWriter writer(target);
        writer.write("text");
        EXPECT_FALSE(writer.commit([] { return false; }));
    }
    struct stat entry {};
    ASSERT_EQ(::lstat(target.c_str(), &entry), 0);
    EXPECT_TRUE(S_ISLNK(entry.st_mode));

    TextFileWriter writer(target);
    writer.write("text");
    EXPECT_TRUE(writer.commit([] { return true; }));
    ASSERT_EQ(::lstat(target.c_str(), &entry), 0);
    EXPECT_TRUE(S_ISREG(entry.st_mode));
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"out.txt"});
}

// Renaming over a pipe (or a device, or a link into /proc such as
// /dev/stdout) would take it away from the others who use it: it is refused
// before any work, and again if one appears meanwhile.
TEST_P(PendingOutputTest, APipeOrALinkToOneAtTheTargetIsNeverReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(dir.file("pipe").c_str(), dir.file("link").c_str()), 0);
    // As /dev/stdout does: a descriptor of whoever opens it, here a file.
    const std::string file = dir.file("file");
    writeBytes(file, "kept");
    const int fd = ::open(file.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::symlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), dir.file("out").c_str()),
              0);
    for (const char* name : {"pipe", "link", "out"}) {
        try {
            TextFileWriter writer(dir.file(name));
            ADD_FAILURE() << name << " was taken as a target";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("is not a regular file; not replaced"),
                      std::string::npos)
                << error.what();
        }
    }
    const std::string late = dir.file("late");
    seam.afterCreate = [&](const PendingOutput&) { ASSERT_EQ(::mkfifo(late.c_str(), 0600), 0); };
    TextFileWriter writer(late);
    writer.write("text");
    EXPECT_THROW(writer.commit([] { return true; }), FileError);
    struct stat entry {};
    for (const char* name : {"pipe", "late"}) {
        ASSERT_EQ(::lstat(dir.file(name).c_str(), &entry), 0);
        EXPECT_TRUE(S_ISFIFO(entry.st_mode)) << name;
    }
    ::close(fd);
    ASSERT_EQ(::lstat(dir.file("out").c_str(), &entry), 0);
    EXPECT_TRUE(S_ISLNK(entry.st_mode));
    EXPECT_EQ(readBytes(file), "kept");
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"file", "late", "link", "out", "pipe"}));
}

TEST_P(PendingOutputTest, TheTemporaryFileIsPrivateAndANewFileGetsTheUmaskMode) {
    TempDir dir;
    mode_t previous = ::umask(027);
    std::vector<std::string> seen;
    mode_t temporaryMode = 0;
    seam.afterCreate = [&](const PendingOutput& output) {
        seen = listFolder(dir.path());
        struct stat info {};
        ASSERT_EQ(::fstat(output.fd(), &info), 0);
        temporaryMode = info.st_mode & 07777;
    };
    TextFileWriter writer(dir.file("new.pdf"));
    writer.write("secret");
    writer.commit();
    ::umask(previous);

    if (GetParam()) {
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(temporaryMode, 0600u);
    } else {
        EXPECT_TRUE(seen.empty()) << "an unnamed file shows no name in the folder";
    }
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("new.pdf").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A folder's default ACL decides a new file's mode, whatever the umask says.
TEST_P(PendingOutputTest, ANewFileInAFolderWithADefaultAclGetsTheModeTheAclGives) {
    TempDir dir;
    const std::string command = "setfacl -d -m u::rw,g::r,o::- '" + dir.path() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "setfacl is missing or ACLs are off";
    mode_t previous = ::umask(0);
    TextFileWriter writer(dir.file("new.pdf"));
    writer.write("text");
    writer.commit();
    ::umask(previous);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("new.pdf").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Any signal whose default action ends the process, arriving while the
// output is written, ends the process by that signal, removes the temporary
// file and leaves the old output as it was.
TEST_P(PendingOutputTest, ASignalMidWriteLeavesNoTemporaryFileAndTheOldOutput) {
    for (int signalNumber : kEndingSignals) {
        TempDir dir;
        writeBytes(dir.file("a.txt"), "text\n");
        writeBytes(dir.file("a.pdf"), "old output");
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Signals that dump core by default dump none here.
            const struct rlimit noCore {};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::signal(signalNumber, SIG_DFL);
            removeTemporaryFilesOnSignals();
            seam.afterCreate = [&](const PendingOutput&) { ::raise(signalNumber); };
            ConversionSettings settings;
            try {
                convertFile(dir.file("a.txt"), dir.file("a.pdf"), settings);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signalNumber;
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.pdf", "a.txt"}));
        EXPECT_EQ(readBytes(dir.file("a.pdf")), "old output");
    }
}

// A handler that asks no one lets the run hold replaced files back and flush
// them together: every file is still replaced, failures are still reported,
// and the reports keep the order of the files.
TEST_P(PendingOutputTest, ARunThatHoldsReplacementsBackReportsInFileOrder) {
    struct PatientHandler : testing::RecordingRunHandler {
        bool reportsMayWait() const override { return true; }
    } handler;
    TempDir dir;
    std::vector<std::string> sources, expected;
    for (int i = 0; i < 150; ++i) {
        std::string name = "f" + std::to_string(1000 + i);
        // Every tenth source is missing; the others replace an old PDF.
        if (i % 10 != 3) writeBytes(dir.file(name + ".txt"), "text " + name + "\n");
        writeBytes(dir.file(name + ".pdf"), "old");
        sources.push_back(dir.file(name + ".txt"));
        if (i % 10 == 3) {
            expected.push_back("ask " + name + ".txt");
            expected.push_back("failed " + name + ".txt");
        } else {
            expected.push_back("ask " + name + ".txt");
            expected.push_back("converted " + name + ".txt -> " + name + ".pdf");
        }
    }
    ConversionSettings settings;
    runConversion(sources, settings, handler);
    // The questions come as each file is reached, the reports after the
    // batch: compare the reports' order, then the questions.
    std::vector<std::string> reports, expectedReports;
    for (const auto& event : handler.events)
        if (event.rfind("ask ", 0) != 0) reports.push_back(event);
    for (const auto& event : expected)
        if (event.rfind("ask ", 0) != 0) expectedReports.push_back(event);
    EXPECT_EQ(reports, expectedReports);
    for (int i = 0; i < 150; ++i) {
        std::string pdf = readBytes(dir.file("f" + std::to_string(1000 + i) + ".pdf"));
        EXPECT_EQ(pdf == "old", i % 10 == 3) << i;
    }
    EXPECT_EQ(listFolder(dir.path()).size(), 150u + 135u) << "no temporary file is left";
}

// A replacement held back for the batch's flush keeps no name until its
// rename: a SIGKILL while the batch waits leaves nothing beside the target.
TEST_P(PendingOutputTest, AHeldReplacementTakesAHiddenNameOnlyAtItsRename) {
    TempDir dir;
    const std::string target = dir.file("out.txt");
    writeBytes(target, "old");
    ReplacementBatch batch(64);
    TextFileWriter writer(target);
    writer.write("new");
    writer.commit();
    ASSERT_EQ(batch.size(), 1u);
    if (GetParam()) {
        EXPECT_EQ(listFolder(dir.path()).size(), 2u) << "the named temporary file waits";
    } else {
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"out.txt"});
    }
    EXPECT_EQ(readBytes(target), "old");
    std::vector<std::string> faults;
    batch.finish([&](std::size_t, const FileError* error) {
        if (error != nullptr) faults.push_back(error->what());
    });
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_EQ(readBytes(target), "new");
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"out.txt"});
}

// Held replacements keep two descriptors open each: under a low limit of
// open files the batch holds fewer, and every file is still replaced.
TEST_P(PendingOutputTest, ABatchStaysWithinTheLimitOfOpenFiles) {
    struct PatientHandler : testing::RecordingRunHandler {
        bool reportsMayWait() const override { return true; }
    };
    TempDir dir;
    std::vector<std::string> sources;
    for (int i = 0; i < 80; ++i) {
        const std::string name = dir.file(std::string("f") + std::to_string(i));
        writeBytes(name + ".txt", "text\n");
        writeBytes(name + ".pdf", "old");
        sources.push_back(name + ".txt");
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const struct rlimit few { 64, 64 };
        if (::setrlimit(RLIMIT_NOFILE, &few) != 0) ::_exit(3);
        PatientHandler handler;
        ConversionSettings settings;
        runConversion(sources, settings, handler);
        ::_exit(handler.errors.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a file failed for want of descriptors";
    for (const std::string& source : sources)
        EXPECT_NE(readBytes(source.substr(0, source.size() - 3) + "pdf"), "old") << source;
    EXPECT_EQ(listFolder(dir.path()).size(), 160u);
}

// Replacing as root must not hand another user's file to root, nor keep a
// setuid bit; a user who does not own a file may not replace it.
TEST_P(PendingOutputTest, AReplacedFileKeepsItsOwnerAndModeLessSetuid) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files to another user";
    TempDir dir;
    const uid_t nobody = 65534;
    const std::string target = dir.file("kept.pdf");
    writeBytes(target, "old");
    ASSERT_EQ(::chown(target.c_str(), nobody, nobody), 0);
    ASSERT_EQ(::chmod(target.c_str(), 04754), 0);
    TextFileWriter writer(target);
    writer.write("new");
    writer.commit();
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_gid, nobody);
    EXPECT_EQ(info.st_mode & 07777, 0754u);

    // Now the other way: nobody may write into the folder, but not replace
    // root's file.
    const std::string rootsFile = dir.file("roots.pdf");
    writeBytes(rootsFile, "root's");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
            ::setresuid(nobody, nobody, nobody) != 0)
            ::_exit(3);
        try {
            TextFileWriter other(rootsFile);
            other.write("nobody's");
            other.commit();
        } catch (const FileError& error) {
            ::_exit(error.cause() == "belongs to root; not replaced" ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(rootsFile), "root's");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"kept.pdf", "roots.pdf"}));
}

}  // namespace
}  // namespace leafwright
