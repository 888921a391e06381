// Several files at once, in one process (-j) and in several (GNU parallel,
// xargs -P): the outputs and what is said about them are those of a
// single-process run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

namespace fs = std::filesystem;

// Every file under a folder, by path relative to it, with its bytes.
std::map<std::string, std::string> folderContent(const std::string& folder) {
    std::map<std::string, std::string> content;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            content[fs::relative(entry.path(), folder).string()] = readBytes(entry.path());
    }
    return content;
}

class ParallelTest : public ::testing::Test {
  protected:
    // `count` small sources of different lengths (and so pages) in src/,
    // with a name list of them.
    void makeSources(int count) {
        fs::create_directory(dir.file("src"));
        std::string list;
        for (int i = 0; i < count; ++i) {
            std::string text;
            for (int line = 0; line < 1 + (i * 7) % 130; ++line)
                text += "file " + std::to_string(i) + " line " + std::to_string(line) + "\n";
            const std::string name = "src/f" + std::to_string(i) + ".txt";
            writeBytes(dir.file(name), text);
            list += name + '\n';
        }
        writeBytes(dir.file("list"), list);
    }
    ProcessResult shell(const std::string& line) {
        return runProcess({"bash", "-c", "CLI=\"$0\"; " + line, LEAFWRIGHT_CLI}, dir.path());
    }

    TempDir dir;
};

TEST_F(ParallelTest, TwoJobsWriteWhatOneJobWrites) {
    makeSources(1000);
    // A missing source and one that is a folder fail in their place.
    fs::create_directory(dir.file("src/folder.txt"));
    std::string list = readBytes(dir.file("list"));
    list.insert(list.find("src/f500.txt"), "src/missing.txt\nsrc/folder.txt\n");
    writeBytes(dir.file("list"), list);
    // The self-adapting layout stores each page size in its own settings.
    writeBytes(dir.file("adapt.tcf"),
               "A4  [595,842]\r\nCourier\r\n10\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\nFALSE\r\n"
               "FALSE\r\nDefault Path\r\nTRUE\r\n");

    for (const std::string config : {"", "--config adapt.tcf "}) {
        fs::create_directory(dir.file("one"));
        fs::create_directory(dir.file("two"));
        ProcessResult one =
            shell("\"$CLI\" convert " + config + "-j 1 --output-dir one --files-from list");
        ProcessResult two =
            shell("\"$CLI\" convert " + config + "-j 2 --output-dir two --files-from list");
        EXPECT_EQ(one.exitStatus, 1);
        EXPECT_EQ(two.exitStatus, 1);
        EXPECT_EQ(splitLines(one.out).size(), 1000u);
        std::string twoOut = two.out;
        for (std::size_t at = 0; (at = twoOut.find("two/", at)) != std::string::npos;)
            twoOut.replace(at, 4, "one/");
        EXPECT_EQ(twoOut, one.out);
        EXPECT_EQ(two.err, one.err);
        EXPECT_NE(one.err.find("src/missing.txt"), std::string::npos) << one.err;
        EXPECT_TRUE(folderContent(dir.file("one")) == folderContent(dir.file("two")));
        fs::remove_all(dir.file("one"));
        fs::remove_all(dir.file("two"));
    }
}

TEST_F(ParallelTest, SourcesWithOneOutputAreDoneInOrder) {
    // Eight sources with one output name, the earlier ones longer (slower),
    // then other files: without --force the first writes it and the others
    // are skipped; with it the last wins.
    std::vector<std::string> args;
    for (int i = 0; i < 8; ++i) {
        const std::string folder = "d" + std::to_string(i);
        fs::create_directories(dir.file(folder));
        std::string text = "copy " + std::to_string(i) + "\n";
        for (int line = 0; line < (8 - i) * 2000; ++line) text += "filler line\n";
        writeBytes(dir.file(folder + "/x.txt"), text);
        writeBytes(dir.file(folder + "/y" + std::to_string(i) + ".txt"), "y\n");
        args.push_back(folder + "/x.txt");
    }
    for (int i = 0; i < 8; ++i)
        args.push_back("d" + std::to_string(i) + "/y" + std::to_string(i) + ".txt");
    std::string names;
    for (const std::string& arg : args) names += " " + arg;
    for (const std::string force : {"", "--force "}) {
        fs::create_directory(dir.file("one"));
        fs::create_directory(dir.file("two"));
        ProcessResult one = shell("\"$CLI\" convert " + force + "-j 1 --output-dir one" + names);
        // The output folder named by another path is the same folder.
        fs::create_directory_symlink("two", dir.file("alias"));
        ProcessResult two = shell("\"$CLI\" convert " + force + "-j 2 --output-dir alias" + names);
        EXPECT_EQ(one.exitStatus, force.empty() ? 1 : 0);
        EXPECT_EQ(two.exitStatus, one.exitStatus);
        EXPECT_TRUE(folderContent(dir.file("one")) == folderContent(dir.file("two")));
        ProcessResult text = runProcess({"pdftotext", dir.file("two/x.pdf"), "-"});
        EXPECT_NE(text.out.find(force.empty() ? "copy 0" : "copy 7"), std::string::npos);
        fs::remove_all(dir.file("one"));
        fs::remove_all(dir.file("two"));
        fs::remove(dir.file("alias"));
    }
}

// A thread that cannot be started means fewer workers, never a failed run:
// with the user's threads limited to four, sixteen jobs convert and report
// every file as one job does. The limit counts the threads of a user, so the
// converter runs as a user of its own (which needs root).
TEST_F(ParallelTest, JobsBeyondTheThreadLimitMeanFewerWorkers) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as a user of its own";
    // Under AddressSanitizer the leak check at exit needs a thread of its
    // own, which that user cannot have: it is left out there.
    const std::string asLimitedUser =
        "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" "
        "prlimit --nproc=4:4 setpriv --reuid=64713 --regid=64713 --clear-groups ";
    // The limit holds for that user: a fifth process cannot start.
    EXPECT_NE(
        shell(asLimitedUser + "sh -c 'sleep 1 & sleep 1 & sleep 1 & sleep 1 & wait'").exitStatus,
        0);
    makeSources(200);
    fs::create_directory(dir.file("one"));
    fs::create_directory(dir.file("many"));
    fs::permissions(dir.path(), fs::perms::all);
    fs::permissions(dir.file("many"), fs::perms::all);
    ProcessResult one = shell("\"$CLI\" convert -j 1 --output-dir one --files-from list");
    ProcessResult many =
        shell(asLimitedUser + "\"$CLI\" convert -j 16 --output-dir many " + "--files-from list");
    EXPECT_EQ(many.exitStatus, 0) << many.err;
    EXPECT_EQ(many.err, "");
    std::string manyOut = many.out;
    for (std::size_t at = 0; (at = manyOut.find("many/", at)) != std::string::npos;)
        manyOut.replace(at, 5, "one/");
    EXPECT_EQ(manyOut, one.out);
    EXPECT_EQ(splitLines(one.out).size(), 200u);
    EXPECT_TRUE(folderContent(dir.file("one")) == folderContent(dir.file("many")));
}

// The recipes of the README's "Converting very many files", on this machine.
// One large file uses both cores (two threads make its pages), unless -j 1
// leaves it one; the document is the same byte for byte, in both layouts.
TEST_F(ParallelTest, OneLargeFileOnTwoThreadsIsWrittenAsOnOne) {
    std::string block;
    for (int line = 0; block.size() < (1 << 20); ++line)
        block += "line " + std::to_string(line) + std::string(line % 97, 'w') +
                 (line % 5 ? " (x) \\ caf\xE9\r\n" : "\n");
    {
        std::ofstream big(dir.file("big.txt"), std::ios::binary);
        for (int copy = 0; copy < 200; ++copy) big << block << copy << '\n';
    }
    writeBytes(dir.file("adapt.tcf"),
               "A4  [595,842]\r\nCourier\r\n10\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\nFALSE\r\n"
               "FALSE\r\nDefault Path\r\nTRUE\r\n");
    for (const std::string config : {"", "--config adapt.tcf "}) {
        ProcessResult run =
            shell("\"$CLI\" convert " + config + "-j 1 -o one.pdf big.txt && " +
                  "\"$CLI\" convert " + config + "-j 2 -o two.pdf big.txt && " +
                  "test $(stat -c %s one.pdf) -gt 200000000 && cmp one.pdf two.pdf");
        EXPECT_EQ(run.exitStatus, 0) << config << run.err << run.out;
        fs::remove(dir.file("one.pdf"));
        fs::remove(dir.file("two.pdf"));
    }
}

TEST_F(ParallelTest, ParallelAndXargsRecipesMatchOneProcess) {
    if (runProcess({"parallel", "--version"}).exitStatus != 0)
        GTEST_SKIP() << "GNU parallel is not installed";
    makeSources(300);
    fs::create_directory(dir.file("single"));
    ProcessResult single = shell("\"$CLI\" convert -j 1 --output-dir single --files-from list");
    ASSERT_EQ(single.exitStatus, 0) << single.err;
    const auto expected = folderContent(dir.file("single"));

    const std::vector<std::string> recipes{
        "mkdir xargs && find src -name '*.txt' -print0 | "
        "xargs -0 -P 2 -n 64 \"$CLI\" convert -j 1 --skip-existing --output-dir xargs",
        "mkdir parallel && find src -name '*.txt' -print0 | "
        "parallel --will-cite -0 -X -j 2 \"$CLI\" convert -j 1 --skip-existing "
        "--output-dir parallel",
        "mkdir shards && for i in 0 1 2; do "
        "\"$CLI\" convert --skip-existing --shard $i/3 --output-dir shards --files-from list "
        "|| exit 1; done",
    };
    for (const std::string& recipe : recipes) {
        ProcessResult run = shell(recipe);
        EXPECT_EQ(run.exitStatus, 0) << recipe << "\n" << run.err;
        // A rerun finds everything done.
        EXPECT_EQ(shell(recipe.substr(recipe.find("&&") + 3)).exitStatus, 0) << recipe;
    }
    for (const char* folder : {"xargs", "parallel", "shards"})
        EXPECT_TRUE(folderContent(dir.file(folder)) == expected) << folder;
}

}  // namespace
}  // namespace leafwright::testing
