#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/file_search.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

std::vector<std::string> readAllLines(const std::string& path) {
    TextFileReader reader(path);
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.readLine(line)) lines.emplace_back(line);
    return lines;
}

TEST(TextFileReader, SplitsLinesAtLfAndDropsCrBeforeIt) {
    TempDir dir;
    testing::writeBytes(dir.file("a.txt"), "one\r\ntwo\nthree\r\rfour\rx\r\nlast");
    EXPECT_EQ(readAllLines(dir.file("a.txt")),
              (std::vector<std::string>{"one", "two", "three\r\rfour\rx", "last"}));
}

TEST(TextFileReader, EmptyFileHasNoLineAndFinalLineEndAddsNone) {
    TempDir dir;
    testing::writeBytes(dir.file("empty.txt"), "");
    EXPECT_TRUE(readAllLines(dir.file("empty.txt")).empty());
    testing::writeBytes(dir.file("one.txt"), "a\n");
    EXPECT_EQ(readAllLines(dir.file("one.txt")), std::vector<std::string>{"a"});
    testing::writeBytes(dir.file("blank.txt"), "\n\n");
    EXPECT_EQ(readAllLines(dir.file("blank.txt")), (std::vector<std::string>{"", ""}));
}

TEST(TextFileReader, ByteOneAEndsTheInput) {
    TempDir dir;
    testing::writeBytes(dir.file("eof.txt"), std::string("ab\ncd\x1A"
                                                         "ef\ngh\n",
                                                         12));
    EXPECT_EQ(readAllLines(dir.file("eof.txt")), (std::vector<std::string>{"ab", "cd"}));
    testing::writeBytes(dir.file("first.txt"), std::string("\x1A"
                                                           "abc",
                                                           4));
    EXPECT_TRUE(readAllLines(dir.file("first.txt")).empty());
}

// A reader tells when a 0x1A left bytes of the file unread: not for one
// that ends the file (as editors of old wrote them), but for one with bytes
// after it in the same read, or in the file beyond a read that ends at it,
// and for one that a reader opened again met.
TEST(TextFileReader, TellsWhenAByteOneALeftTheRestOfTheFileUnread) {
    TempDir dir;
    const std::string large(3 << 20, 'x');
    const auto cut = [&](const std::string& bytes, bool readAgain) {
        testing::writeBytes(dir.file("cut.txt"), bytes);
        TextFileReader reader(dir.file("cut.txt"));
        std::unique_ptr<TextFileReader> again = reader.openAgain();
        TextFileReader& reading = readAgain ? *again : reader;
        std::string_view line;
        while (reading.readLine(line)) {
        }
        return reader.textCutAtEndOfText();
    };
    EXPECT_FALSE(cut("ab\n", false));
    EXPECT_FALSE(cut(std::string("ab\n\x1A", 4), false));
    EXPECT_FALSE(cut(large + "\n\x1A", false));
    EXPECT_TRUE(cut(std::string("ab\n\x1A\n", 5), false));
    EXPECT_TRUE(cut(large + "\n\x1A" + large, false));
    EXPECT_TRUE(cut(std::string("ab\x1A"
                                "cd",
                                5),
                    true));
    EXPECT_FALSE(cut(std::string("ab\x1A", 3), true));
}

TEST(TextFileReader, LinesLongerThanTheBufferAndCrAcrossTheBoundary) {
    TempDir dir;
    std::string longLine(3 * 1024 * 1024 + 7, 'x');
    longLine[(1 << 20) - 1] = 'y';
    std::string body = "short\n" + longLine + "\r\nafter\n";
    testing::writeBytes(dir.file("long.txt"), body);
    auto lines = readAllLines(dir.file("long.txt"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], longLine);
    EXPECT_EQ(lines[2], "after");
}

TEST(TextFileReader, RewindReadsTheSameLinesAgain) {
    TempDir dir;
    testing::writeBytes(dir.file("r.txt"), "a\nb\n");
    TextFileReader reader(dir.file("r.txt"));
    std::string_view line;
    while (reader.readLine(line)) {
    }
    reader.rewind();
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, "a");
}

TEST(TextFileReader, MissingFileAndFolderAreFileErrorsNamingThePath) {
    TempDir dir;
    try {
        TextFileReader reader(dir.file("missing.txt"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("missing.txt"));
        EXPECT_NE(std::string(error.what()).find("missing.txt"), std::string::npos);
    }
    EXPECT_THROW(TextFileReader reader(dir.path()), FileError);
}

// Anything but a regular file is refused when it is opened, before a byte is
// read: an endless device would never end, a pipe without a writer would
// block the caller for ever. A link to a device is the device.
TEST(TextFileReader, DevicesPipesAndLinksToThemAreRefusedAtOnce) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.file("zero.txt").c_str()), 0);
    for (const std::string& path :
         {std::string("/dev/zero"), dir.file("fifo"), dir.file("zero.txt")}) {
        try {
            TextFileReader reader(path);
            FAIL() << path << " was opened";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), path);
            EXPECT_EQ(error.cause(), "not a regular file");
        }
    }
}

// The pieces of each line join into what readLine hands out, however the
// line falls on the reader's buffer; no piece is longer than the buffer, and
// a line read again from the offset where it started is the same line.
TEST(TextFileReader, LinePiecesJoinIntoTheLinesAndSeekReadsThemAgain) {
    TempDir dir;
    const std::string filler((1 << 20) - 2, 'a');
    const std::vector<std::string> texts = {
        "",
        "\n",
        "a",
        "\r",
        "a\r",
        "one\r\ntwo\r\rthree\n\nlast\r",
        "ab\ncd\x1A"
        "ef\n",
        filler + "\r\n" + filler + "x\r\nz",
        filler + "bc\r\n" + std::string(3 << 20, 'q') + "\r",
        "x\n" + filler + "\r\r\n\x1A",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        testing::writeBytes(dir.file("p.txt"), text);
        const std::vector<std::string> lines = readAllLines(dir.file("p.txt"));

        TextFileReader reader(dir.file("p.txt"));
        std::vector<std::string> joined(1);
        std::vector<std::uint64_t> starts = {reader.offset()};
        std::string_view piece;
        bool endsLine = false;
        while (reader.readLinePiece(piece, endsLine)) {
            EXPECT_LE(piece.size(), std::size_t{1} << 20);
            joined.back().append(piece);
            if (endsLine) {
                joined.emplace_back();
                starts.push_back(reader.offset());
            }
        }
        EXPECT_TRUE(joined.back().empty());
        joined.pop_back();
        starts.pop_back();
        ASSERT_EQ(joined, lines);

        for (std::size_t i = lines.size(); i-- > 0;) {
            reader.seek(starts[i]);
            std::string_view again;
            ASSERT_TRUE(reader.readLine(again));
            EXPECT_EQ(again, lines[i]) << "line " << i;
        }
    }
}

// A read limit only shortens reads: the lines are the same wherever it
// stands and however often it moves.
TEST(TextFileReader, ReadLimitsLeaveTheLinesAsTheyAre) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 30'000; ++i) text += std::string(i % 97, 'x') + (i % 5 ? "\n" : "\r\n");
    testing::writeBytes(dir.file("l.txt"), text);
    const std::vector<std::string> lines = readAllLines(dir.file("l.txt"));
    TextFileReader reader(dir.file("l.txt"));
    std::string_view line;
    for (std::size_t i = 0; reader.readLine(line); ++i) {
        ASSERT_LT(i, lines.size());
        ASSERT_EQ(line, lines[i]);
        if (i % 1000 == 0) reader.readNoFurtherThan(reader.offset() + i % 7 * 3);
    }
}

TEST(TextFileReader, TellsAFileWrittenToSinceItWasOpened) {
    TempDir dir;
    const std::string path = dir.file("c.txt");
    testing::writeBytes(path, "one\ntwo\n");
    TextFileReader reader(path);
    std::string_view line;
    while (reader.readLine(line)) {
    }
    EXPECT_FALSE(reader.changedSinceOpened());
    testing::writeBytes(path, "two\none\n");  // the same file, the same size
    EXPECT_TRUE(reader.changedSinceOpened());
}

TEST(TextFileWriter, TurnsLineEndsIntoCrLfAndCountsBytesOnDisk) {
    TempDir dir;
    TextFileWriter writer(dir.file("out.pdf"));
    writer.write("%PDF-1.3\n");
    EXPECT_EQ(writer.position(), 10u);
    writer.write("a\nb");
    EXPECT_EQ(writer.position(), 14u);
    writer.commit();
    EXPECT_EQ(testing::readBytes(dir.file("out.pdf")), "%PDF-1.3\r\na\r\nb");
    EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"out.pdf"});
}

TEST(TextFileWriter, UncommittedWriterLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    testing::writeBytes(dir.file("out.pdf"), "old");
    {
        TextFileWriter writer(dir.file("out.pdf"));
        writer.write("new content\n");
    }
    EXPECT_EQ(testing::readBytes(dir.file("out.pdf")), "old");
    EXPECT_EQ(testing::listFolder(dir.path()), std::vector<std::string>{"out.pdf"});
}

TEST(TextFileWriter, RefusesAFolderAndAMissingFolder) {
    TempDir dir;
    ::mkdir(dir.file("sub").c_str(), 0755);
    EXPECT_THROW(TextFileWriter writer(dir.file("sub")), FileError);
    EXPECT_THROW(TextFileWriter writer(dir.file("nowhere/out.pdf")), FileError);
}

TEST(FileSearch, WildcardsFindEntriesAndATrailingSlashNamesNone) {
    TempDir dir;
    ::mkdir(dir.file("out").c_str(), 0755);
    testing::writeBytes(dir.file("file.txt"), "x");
    auto found = findEntries(dir.path() + "/o*");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].fullPath, dir.file("out"));
    EXPECT_TRUE(found[0].isDirectory);
    EXPECT_TRUE(findEntries(dir.path() + "/out/").empty());
    EXPECT_TRUE(findEntries(dir.file("none")).empty());
    auto file = findEntries(dir.file("file.txt"));
    ASSERT_EQ(file.size(), 1u);
    EXPECT_FALSE(file[0].isDirectory);
}

// Only * and ? are wildcards, as on Windows: folders named with brackets or
// a backslash are found as they are, never a folder their brackets would
// match as a character class; a folder whose own name holds a wildcard is
// found first by its name; \* and \? find the characters themselves.
TEST(FileSearch, BracketsAndBackslashesAreCharactersAndANameFindsItselfFirst) {
    TempDir dir;
    for (const char* name : {"x[1]", "x1", "y[2]", "back\\slash", "s*", "sa", "q?", "qq"})
        ASSERT_EQ(::mkdir(dir.file(name).c_str(), 0755), 0) << name;
    const auto only = [](const std::vector<FoundEntry>& found) {
        std::vector<std::string> paths;
        for (const FoundEntry& entry : found) paths.push_back(entry.fullPath);
        return paths;
    };
    EXPECT_EQ(only(findEntries(dir.file("x[1]"))), std::vector<std::string>{dir.file("x[1]")});
    EXPECT_EQ(only(findEntries(dir.file("y[2]"))), std::vector<std::string>{dir.file("y[2]")});
    EXPECT_TRUE(findEntries(dir.file("x[2]")).empty());
    EXPECT_EQ(only(findEntries(dir.file("back\\slash"))),
              std::vector<std::string>{dir.file("back\\slash")});
    const std::vector<std::string> star = only(findEntries(dir.file("s*")));
    ASSERT_EQ(star.size(), 2u);
    EXPECT_EQ(star[0], dir.file("s*"));
    EXPECT_EQ(star[1], dir.file("sa"));
    EXPECT_EQ(only(findEntries(literalSearchPattern(dir.file("s*")))),
              std::vector<std::string>{dir.file("s*")});
    EXPECT_EQ(only(findEntries(literalSearchPattern(dir.file("q?")))),
              std::vector<std::string>{dir.file("q?")});
    EXPECT_TRUE(findEntries(literalSearchPattern(dir.file("s?"))).empty());
    EXPECT_EQ(only(findEntries(dir.file("q?"))).size(), 2u);
}

}  // namespace
}  // namespace leafwright
