#include "core/pdf/combined_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/pdf/combined_pages.h"
#include "core/pdf/outline_title.h"
#include "core/platform/file_error.h"
#include "core/platform/run_watch.h"
#include "core/run/run_control.h"
#include "core/text/source_text.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Sources of 3, 1 and 2 pages: for duplex printing a blank page follows
// each source that ends on an odd page, so that every source starts on the
// front of a sheet; the facts of every page say whose it is.
TEST(CombinedPages, PlacesSourcesAndBlankPagesAndTellsEachPagesFacts) {
    CombinedPages duplex(true);
    CombinedPages plain(false);
    for (std::uint64_t pages : {3, 1, 2}) {
        duplex.addSource(pages);
        plain.addSource(pages);
    }
    EXPECT_EQ(plain.pageCount(), 6u);
    EXPECT_EQ(plain.firstPageOf(2), 4u);
    EXPECT_FALSE(plain.blankAfter(0));
    EXPECT_EQ(duplex.pageCount(), 8u);
    EXPECT_EQ(duplex.firstPageOf(1), 4u);
    EXPECT_EQ(duplex.firstPageOf(2), 6u);
    EXPECT_TRUE(duplex.blankAfter(0));
    EXPECT_TRUE(duplex.blankAfter(1));
    EXPECT_FALSE(duplex.blankAfter(2));

    struct Expected {
        std::size_t source;
        std::uint64_t pageInSource, sourcePages;
    };
    const Expected expected[] = {{0, 1, 3}, {0, 2, 3}, {0, 3, 3}, {0, 0, 3},
                                 {1, 1, 1}, {1, 0, 1}, {2, 1, 2}, {2, 2, 2}};
    for (std::uint64_t page = 0; page < duplex.pageCount(); ++page) {
        const CombinedPageFacts facts = duplex.factsOf(page);
        EXPECT_EQ(facts.source, expected[page].source) << page;
        EXPECT_EQ(facts.pageInSource, expected[page].pageInSource) << page;
        EXPECT_EQ(facts.sourcePages, expected[page].sourcePages) << page;
        EXPECT_EQ(facts.pageInDocument, page + 1);
        EXPECT_EQ(facts.documentPages, 8u);
    }
    EXPECT_EQ(plain.factsOf(5).pageInSource, 2u);
    EXPECT_THROW(duplex.factsOf(8), std::out_of_range);
    EXPECT_THROW(duplex.addSource(0), std::invalid_argument);
}

// Each source is read twice, first to plan the pages, then to write them: a
// source written to, or replaced by another file, between the two readings
// fails the document, named, and nothing is written.
TEST(ConvertCombined, ASourceThatChangesBetweenTheReadingsFailsTheDocument) {
    TempDir dir;
    const std::vector<std::string> sources = {dir.file("a.txt"), dir.file("b.txt"),
                                              dir.file("c.txt")};
    enum class Change { Append, Replace };
    for (const Change change : {Change::Append, Change::Replace}) {
        for (const std::string& source : sources) writeBytes(source, "one line\n");
        const std::vector<std::string> before = listFolder(dir.path());
        auto changeB = [&](std::size_t source, CombineReading reading) {
            if (reading != CombineReading::writing || source != 1) return;
            if (change == Change::Append) {
                writeBytes(sources[1], "one line\nand another\n");
            } else {
                // The same size, a file of its own.
                writeBytes(dir.file("new.txt"), "one lime\n");
                ASSERT_EQ(std::rename(dir.file("new.txt").c_str(), sources[1].c_str()), 0);
            }
        };
        ConversionSettings settings;
        try {
            convertCombined(sources, dir.file("book.pdf"), settings, {}, nullptr, changeB);
            ADD_FAILURE() << "a changed source was combined";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), sources[1]);
            EXPECT_EQ(error.cause(), kChangedWhileRead);
        }
        EXPECT_EQ(listFolder(dir.path()), before);
    }

    // Unchanged, the same sources make a document, and each was taken up
    // once in each reading, in order; rows drawn in embedded fonts are cut
    // in a reading of their own, between the two.
    using Seen = std::vector<std::pair<std::size_t, CombineReading>>;
    const auto inTurn = [](std::initializer_list<CombineReading> readings) {
        Seen seen;
        for (const CombineReading reading : readings)
            for (std::size_t source = 0; source < 3; ++source) seen.emplace_back(source, reading);
        return seen;
    };
    Seen seen;
    ConversionSettings settings;
    const CombinedOutcome outcome = convertCombined(
        sources, dir.file("book.pdf"), settings, {}, nullptr,
        [&](std::size_t source, CombineReading reading) { seen.emplace_back(source, reading); });
    EXPECT_TRUE(outcome.placed);
    EXPECT_EQ(outcome.pages, 3u);
    EXPECT_EQ(outcome.bytes, readBytes(dir.file("book.pdf")).size());
    EXPECT_EQ(seen, inTurn({CombineReading::planning, CombineReading::writing}));

    writeBytes(sources[1], "\u4E2D\u6587\u7684\u4E00\u884C\n");
    settings.chosen.more.wrap = WrapMode::WordChar;
    seen.clear();
    convertCombined(
        sources, dir.file("book.pdf"), settings, {}, nullptr,
        [&](std::size_t source, CombineReading reading) { seen.emplace_back(source, reading); });
    EXPECT_EQ(seen, inTurn({CombineReading::planning, CombineReading::cuttingRows,
                            CombineReading::writing}));
}

// A cancel while the pages are written (the window's Cancel) stops the
// document at once and leaves nothing behind.
TEST(ConvertCombined, ACancelledRunLeavesNothing) {
    TempDir dir;
    std::vector<std::string> sources;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        sources.push_back(dir.file(name));
        writeBytes(sources.back(), "a line\nand another\n");
    }
    const std::vector<std::string> before = listFolder(dir.path());
    RunControl control;
    RunControlScope scope(control);
    ConversionSettings settings;
    EXPECT_THROW(convertCombined(sources, dir.file("book.pdf"), settings, {}, nullptr,
                                 [&](std::size_t source, CombineReading reading) {
                                     if (reading == CombineReading::writing && source == 1)
                                         control.cancel();
                                 }),
                 RunCancelled);
    EXPECT_EQ(listFolder(dir.path()), before);
}

// Outline titles: a literal string where PDFDocEncoding has the same codes
// (its delimiters and backslash escaped, Latin-1 as octal so the file stays
// ASCII), UTF-16BE with its byte order mark otherwise (a soft hyphen, which
// PDFDocEncoding leaves undefined; a character beyond the BMP as a
// surrogate pair; a malformed byte as "?").
TEST(OutlineTitle, PdfDocEncodingWhereItCanElseUtf16) {
    EXPECT_EQ(outlineTitleString("notes (draft) \\ v2.txt"), "(notes \\(draft\\) \\\\ v2.txt)");
    EXPECT_EQ(outlineTitleString("Gr\u00F6\u00DFe.txt"), "(Gr\\366\\337e.txt)");
    EXPECT_EQ(outlineTitleString(""), "()");
    EXPECT_EQ(outlineTitleString("a\u00ADb"), "<FEFF006100AD0062>");
    EXPECT_EQ(outlineTitleString("\u65E5\U0001F600"), "<FEFF65E5D83DDE00>");
    EXPECT_EQ(outlineTitleString("x\xFFy\u2603"), "<FEFF0078003F00792603>");
    EXPECT_EQ(outlineTitleString("tab\there"), "<FEFF00740061006200090068006500720065>");
    EXPECT_EQ(fileNameOf("/docs/sub/notes.txt"), "notes.txt");
    EXPECT_EQ(fileNameOf("notes.txt"), "notes.txt");
}

}  // namespace
}  // namespace leafwright
