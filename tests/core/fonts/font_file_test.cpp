// Font files read safely: a face keeps its own copy of its file, only regular
// files are read (a pipe in a font's place never holds the program up), a
// file that changes while it is read fails with its name, and neither a
// configuration that is no file nor a face that cannot be cut down leaves
// the user guessing which file it was.
#include "core/fonts/font_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/fonts/system_font_provider.h"
#include "core/fonts/table_directory.h"
#include "core/fonts/truetype_face.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

const std::string kSerif = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";

// Runs `body` in a child process, so that a signal (a bus error, a hang
// ended by an alarm) fails the test instead of ending the test program. The
// child's exit status is the body's: 0 when it held.
int inChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(20);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The message of the runtime_error `open` throws, or "" when it throws none.
std::string failureOf(const std::function<void()>& open) {
    try {
        open();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

TEST(FontFile, AFaceCutShortOnDiskAfterOpeningIsStillWholeInMemory) {
    TempDir dir;
    const std::string copy = dir.file("serif.ttf");
    std::filesystem::copy_file(kSerif, copy);
    EXPECT_EQ(inChild([&] {
                  const auto face = openTrueTypeFace(copy);
                  if (!face) return 2;
                  if (::truncate(copy.c_str(), 0) != 0) return 3;
                  const FontSubset subset = face->subset({face->glyphFor(U'A')});
                  return subset.program.empty() || face->file().bytes.size() < 1000 ? 4 : 0;
              }),
              0);
}

// A collection's faces come from one reading of its file (Noto CJK holds ten
// faces in 19 MB); the bytes of a file that gave no face are not kept, so
// the file is read again when asked for again.
TEST(FontFile, TheFacesOfACollectionShareOneReadingOfTheFile) {
    const std::string collection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    if (!std::filesystem::exists(collection)) GTEST_SKIP() << "no Noto Sans CJK";
    TempDir dir;
    const std::string copy = dir.file("cjk.ttc");
    std::filesystem::copy_file(collection, copy);
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(copy));
    const std::string later = dir.file("later.ttf");
    writeBytes(later, "not a font yet");
    const std::string pipe = dir.file("pipe.ttf");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(inChild([&] {
                  FaceFiles files;
                  const auto first = files.open(copy, 0);
                  if (!first || first->file().bytes.size() != size) return 2;
                  // Cut short on disk, the file still gives its other faces whole.
                  if (::truncate(copy.c_str(), 0) != 0) return 3;
                  const auto second = files.open(copy, 1);
                  if (!second || second->file().bytes.size() != size) return 4;
                  if (second->file().index != 1 || second->glyphFor(U'\uD55C') == 0) return 5;
                  if (files.open(later, 0)) return 6;
                  std::filesystem::copy_file(kSerif, later,
                                             std::filesystem::copy_options::overwrite_existing);
                  const auto serif = files.open(later, 0);
                  if (!serif || serif->glyphFor(U'A') == 0) return 7;
                  for (int attempt = 0; attempt < 2; ++attempt) {
                      if (failureOf([&] { files.open(pipe, 0); }) !=
                          "font " + pipe + " is not a regular file")
                          return 8;
                  }
                  return 0;
              }),
              0);
}

TEST(FontFile, OnlyARegularFileIsReadAndAChangeWhileReadingNamesTheFont) {
    TempDir dir;
    const std::string pipe = dir.file("pipe.ttf");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(inChild([&] {
                  return failureOf([&] { openTrueTypeFace(pipe); }) ==
                                 "font " + pipe + " is not a regular file"
                             ? 0
                             : 1;
              }),
              0);

    // Files whose size says otherwise than what reading them gives: one
    // grows while it is read, one ends before its size.
    for (const char* changing :
         {"/proc/self/status", "/sys/kernel/mm/transparent_hugepage/enabled"}) {
        if (!std::filesystem::exists(changing)) continue;
        FontFileBytes bytes;
        EXPECT_EQ(failureOf([&] { readFontFile(changing, bytes); }),
                  std::string("font ") + changing + " changed while it was read");
    }

    FontFileBytes bytes;
    ASSERT_TRUE(readFontFile(kSerif, bytes));
    EXPECT_EQ(std::string(bytes.data.get(), bytes.size), readBytes(kSerif));
    EXPECT_FALSE(readFontFile(dir.file("missing.ttf"), bytes));
}

// Large files are read into memory of their own taken in huge pages, small
// ones into new[]: either way every byte arrives, at sizes on both sides of a
// 2 MB page, and stays when the file is cut short or removed afterwards.
TEST(FontFile, FilesOnEitherSideOfAHugePageAreReadWholeIntoMemoryOfTheirOwn) {
    TempDir dir;
    constexpr std::size_t kPage = std::size_t{2} << 20;
    std::uint32_t state = 12345;
    for (const std::size_t size :
         {std::size_t{1}, kPage - 2, kPage - 1, kPage, kPage + 1, 3 * kPage + 12345}) {
        std::string content(size, '\0');
        for (char& byte : content) {
            state = state * 1664525u + 1013904223u;
            byte = static_cast<char>(state >> 24);
        }
        const std::string path = dir.file("font-" + std::to_string(size) + ".bin");
        writeBytes(path, content);
        EXPECT_EQ(inChild([&] {
                      FontFileBytes bytes;
                      if (!readFontFile(path, bytes)) return 2;
                      if (::truncate(path.c_str(), 0) != 0 || ::unlink(path.c_str()) != 0) return 3;
                      if (bytes.size != size) return 4;
                      if (std::string_view(bytes.data.get(), bytes.size) != content) return 5;
                      // Given back and taken again: the release fits the block.
                      bytes.data.reset();
                      FontFileBytes again;
                      writeBytes(path, content);
                      if (!readFontFile(path, again)) return 6;
                      return std::string_view(again.data.get(), again.size) == content ? 0 : 7;
                  }),
                  0)
            << size << " bytes";
    }
}

TEST(FontFile, AConfigurationThatIsNoFileIsRefusedBeforeFontconfigReadsIt) {
    EXPECT_EQ(inChild([] {
                  ::setenv("FONTCONFIG_FILE", "/dev/zero", 1);
                  SystemFontProvider provider;
                  return failureOf([&] { provider.faceFor("Times-Roman"); }) ==
                                 "the font configuration /dev/zero (FONTCONFIG_FILE) is not a "
                                 "regular file"
                             ? 0
                             : 1;
              }),
              0);
}

// The four bytes at `at` as a big-endian number, as font tables hold them.
std::size_t bigEndian32(const std::string& bytes, std::size_t at) {
    std::size_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The font with each table named in `shortened` said to be four bytes long
// (the table directory: 16 bytes a table from byte 12), too short to be read.
std::string withTablesCutToFourBytes(std::string font,
                                     std::initializer_list<std::string> shortened) {
    std::size_t damaged = 0;
    const std::size_t tables = bigEndian32(font, 4) >> 16;
    for (std::size_t table = 0; table < tables; ++table) {
        const std::size_t record = 12 + 16 * table;
        for (const std::string& tag : shortened) {
            if (font.compare(record, 4, tag) != 0) continue;
            font.replace(record + 12, 4, std::string("\0\0\0\4", 4));
            ++damaged;
        }
    }
    EXPECT_EQ(damaged, shortened.size());
    return font;
}

// A face whose tables are damaged may still be opened and drawn, yet not cut
// down: the message names its file and family (or only the file, when the
// names are damaged too), however often it is asked for a subset; the
// second asking is the one that would prepare the face for many subsets.
TEST(FontFile, AFaceThatCannotBeSubsetIsNamedByFileAndFamily) {
    TempDir dir;
    const std::string path = dir.file("damaged.ttf");
    writeBytes(path, withTablesCutToFourBytes(readBytes(kSerif), {"post"}));
    const std::string nameless = dir.file("nameless.ttf");
    writeBytes(nameless, withTablesCutToFourBytes(readBytes(kSerif), {"post", "name"}));
    for (const auto& [file, expected] :
         {std::pair{path, "font " + path + " (Liberation Serif) could not be subset"},
          std::pair{nameless, "font " + nameless + " could not be subset"}}) {
        EXPECT_EQ(inChild([&] {
                      const auto face = openTrueTypeFace(file);
                      if (!face) return 2;
                      for (int attempt = 0; attempt < 3; ++attempt) {
                          if (failureOf([&] { face->subset({face->glyphFor(U'A')}); }) != expected)
                              return 3;
                      }
                      return 0;
                  }),
                  0)
            << file;
    }
}

// A file cut short anywhere in its tables is refused when it is opened, as a
// file that is no font is; whole, each face of a file or a collection opens.
TEST(FontFile, AFileCutShortInItsTablesIsRefusedWhenOpened) {
    const std::string font = readBytes(kSerif);
    EXPECT_TRUE(tablesLieWithinFile(font, 0));
    EXPECT_FALSE(tablesLieWithinFile(font, 1));
    // The end of the table that ends last is the smallest cut that loses a
    // byte of the tables.
    std::size_t tablesEnd = 0;
    const auto u32 = [&](std::size_t at) { return bigEndian32(font, at); };
    const std::size_t tables = u32(4) >> 16;
    for (std::size_t table = 0; table < tables; ++table)
        tablesEnd = std::max(tablesEnd, u32(12 + 16 * table + 8) + u32(12 + 16 * table + 12));
    ASSERT_LE(tablesEnd, font.size());
    EXPECT_TRUE(tablesLieWithinFile(std::string_view(font).substr(0, tablesEnd), 0));
    TempDir dir;
    for (const std::size_t cut : {tablesEnd - 1, font.size() * 9 / 10, font.size() / 2,
                                  std::size_t{12 + 16 * tables}, std::size_t{20}, std::size_t{5}}) {
        EXPECT_FALSE(tablesLieWithinFile(std::string_view(font).substr(0, cut), 0)) << cut;
        const std::string path = dir.file("cut-" + std::to_string(cut) + ".ttf");
        writeBytes(path, font.substr(0, cut));
        EXPECT_EQ(openTrueTypeFace(path), nullptr) << cut;
    }

    const std::string collection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    if (!std::filesystem::exists(collection)) return;
    const std::string faces = readBytes(collection);
    const auto count = static_cast<unsigned>(bigEndian32(faces, 8));
    ASSERT_GT(count, 1u);
    bool oneCut = false;
    for (unsigned index = 0; index < count; ++index) {
        EXPECT_TRUE(tablesLieWithinFile(faces, index)) << index;
        oneCut |= !tablesLieWithinFile(std::string_view(faces).substr(0, faces.size() / 2), index);
    }
    EXPECT_TRUE(oneCut);
    EXPECT_FALSE(tablesLieWithinFile(faces, count));
}

}  // namespace
}  // namespace leafwright
