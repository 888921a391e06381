// A large source is converted on two threads: stretches of pages or lines
// made by two readers. Whatever the text, the layout, the size of the
// stretches and of the batches between the threads, the bytes must be those
// of one thread, and a failure on either thread must fail the file as it
// does on one.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "converted_text.h"
#include "core/pdf/conversion_run.h"
#include "core/pdf/line_stretches.h"
#include "core/pdf/page_stretches.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/single_page_layout.h"
#include "core/pdf/text_measure.h"
#include "core/platform/file_error.h"
#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "core/platform/text_file_writer.h"
#include "core/run/helper_thread.h"
#include "core/run/run_control.h"
#include "pdf_expectations.h"

namespace leafwright {
namespace {

using testing::expectChangedWhileConverted;

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// A text of about `size` bytes of lines of varied length and line ends, in
// one of several encodings, now and then with a byte-order mark, tabs, a
// line longer than the reader's buffer, a tab or a character beyond Mac OS
// Roman at its end only, or a 0x1A that ends the text early.
std::string generatedText(std::mt19937& random, std::size_t size) {
    static const std::vector<std::string> ascii = {"word", " ", "(", ")", "\\", "x", "12"};
    static const std::vector<std::string> latin = {"caf\xE9", "\x80", "\x93q\x94", "\xFF"};
    static const std::vector<std::string> utf8 = {"\xC3\xA9", "\xE2\x82\xAC", "\xEF\xAC\x81"};
    static const std::vector<std::string> lineEnds = {"\n", "\r\n", "\r", "\n\n"};
    const int kind = static_cast<int>(random() % 3);
    const std::vector<std::string>& extra = kind == 1 ? latin : utf8;
    const bool tabs = random() % 4 == 0;  // drawn with tab stops throughout
    std::string text = kind == 2 && random() % 2 ? "\xEF\xBB\xBF" : "";
    while (text.size() < size) {
        const std::size_t length = random() % 20 == 0 ? random() % 3000 : random() % 90;
        for (std::size_t at = text.size() + length; text.size() < at;) {
            const bool plain = kind == 0 || random() % 8 != 0;
            text += plain ? ascii[random() % ascii.size()] : extra[random() % extra.size()];
            if (tabs && random() % 50 == 0) text += '\t';
        }
        text += lineEnds[random() % lineEnds.size()];
    }
    if (random() % 6 == 0) text += std::string((1 << 20) + 17, 'L') + "\n(tail)";
    // Only the far half (scanned on the other thread) needs tab stops or
    // embedded fonts.
    if (random() % 5 == 0) text += random() % 2 ? "\tTab\n" : "\xD0\x96\n";
    if (random() % 8 == 0) text.insert(random() % (text.size() + 1), "\x1A");
    if (random() % 2 == 0 && !text.empty()) text.pop_back();
    return text;
}

std::string convertedWith(const std::string& source, const std::string& output, bool selfAdapting,
                          const SourceThreads& threads, bool* onTwoThreads = nullptr) {
    ConversionSettings settings;
    settings.chosen.selfAdaptation = selfAdapting ? 1 : 0;
    std::filesystem::remove(output);  // a new file is not flushed to disk
    const ConversionOutcome outcome = convertSource(source, output, settings, {}, nullptr, threads);
    if (onTwoThreads != nullptr) *onTwoThreads = outcome.madeOnTwoThreads;
    return readBytes(output);
}

// The page-tree document of plain strings, none of its pages held over
// heldPageLimit bytes, made on one thread (threads 1) or on two with
// stretches of perStretch pages.
std::string pagedOnThreads(unsigned threads, const std::string& source, const std::string& output,
                           std::size_t heldPageLimit, std::size_t perStretch = 1,
                           std::size_t batchBytes = 1) {
    ConversionSettings settings;
    TextFileReader reader(source);
    PaginatedPages pages(reader, settings, lineCapacity(settings), heldPageLimit);
    std::filesystem::remove(output);
    TextFileWriter out(output);
    if (threads == 1) {
        writePageTreePdf(out, settings, pages);
    } else {
        PageStretches stretches(pages, reader.openAgain(), perStretch, batchBytes);
        writePageTreePdf(out, settings, stretches);
        EXPECT_TRUE(stretches.onTwoThreads());
    }
    out.commit();
    return readBytes(output);
}

TEST(TwoThreadConversion, WritesTheBytesOfOneThread) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    std::mt19937 random(17);
    const std::vector<std::size_t> sizes = {0, 1, 40, 3000, 70'000, 400'000, 2'500'000};
    // Conversions of each layout shared out between two threads, each
    // with its own reader: a second reader that cannot be had, or a helper
    // that never starts, would leave them all to one.
    int onTwoThreads[2] = {0, 0};
    for (int round = 0; round < 24; ++round) {
        const std::string text = generatedText(random, sizes[round % sizes.size()]);
        writeBytes(source, text);
        ASSERT_NE(TextFileReader(source).openAgain(), nullptr);
        SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(text.size()) +
                     " bytes");
        for (bool selfAdapting : {false, true}) {
            const std::string one = convertedWith(source, dir.file("one.pdf"), selfAdapting, {});
            if (round < 8) testing::checkStructure(one);
            SourceThreads two{2, 0, 0};
            for (std::uint64_t stretchBytes :
                 {std::uint64_t{1}, std::uint64_t{5000}, std::uint64_t{1} << 40}) {
                two.stretchBytes = stretchBytes;
                bool both = false;
                EXPECT_TRUE(convertedWith(source, dir.file("two.pdf"), selfAdapting, two, &both) ==
                            one)
                    << "self-adapting " << selfAdapting << ", stretches of " << stretchBytes
                    << " bytes";
                onTwoThreads[selfAdapting] += both;
            }
            if (selfAdapting) continue;
            // Pages measured and then streamed, batches cut anywhere.
            const std::size_t limit = round % 2 ? 0 : 300;
            const std::string streamed = pagedOnThreads(1, source, dir.file("one.pdf"), limit);
            const std::size_t batch = (text.size() < 100'000 ? 1 : 4000) + random() % 700;
            for (std::size_t perStretch : {1, 3, 8})
                EXPECT_TRUE(pagedOnThreads(2, source, dir.file("two.pdf"), limit, perStretch,
                                           batch) == streamed)
                    << "pages over " << limit << " bytes streamed, stretches of " << perStretch;
        }
    }
    EXPECT_GT(onTwoThreads[0], 0);
    EXPECT_GT(onTwoThreads[1], 0);
}

TEST(TwoThreadConversion, FailuresOnEitherThreadFailTheFile) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    ConversionSettings settings;
    const std::string lines = testing::numberedLines(3000);
    // A line more or fewer, at the end or in the run of either thread.
    std::string split = lines;
    split.insert(split.size() / 2, "\n");
    for (std::size_t perStretch : {1, 2, 5}) {
        for (const std::string& after : {split, lines + "one more\n", lines.substr(90)}) {
            SCOPED_TRACE(std::to_string(perStretch) + " pages a stretch, " +
                         std::to_string(after.size()) + " bytes after");
            writeBytes(source, lines);
            TextFileReader reader(source);
            PaginatedPages pages(reader, settings, lineCapacity(settings), 0);
            writeBytes(source, after);  // the same file, changed between the passes
            TextFileWriter out(dir.file("paged.pdf"));
            expectChangedWhileConverted(
                [&] {
                    PageStretches stretches(pages, reader.openAgain(), perStretch, 64);
                    writePageTreePdf(out, settings, stretches);
                },
                source);
        }
    }
    // The same on one self-adapting page, in stretches of lines.
    ConversionSettings adapting = settings;
    adapting.chosen.selfAdaptation = 1;
    for (std::uint64_t perStretch : {1, 7, 1000}) {
        for (const std::string& after : {split, lines + "one more\n", lines.substr(90)}) {
            SCOPED_TRACE(std::to_string(perStretch) + " lines a stretch, " +
                         std::to_string(after.size()) + " bytes after");
            writeBytes(source, lines);
            TextFileReader reader(source);
            SinglePage page = layOutSinglePage(reader, adapting, TextMeasure(12));
            writeBytes(source, after);
            TextFileWriter out(dir.file("single.pdf"));
            expectChangedWhileConverted(
                [&] { LineStretches(page, reader.openAgain(), perStretch, 64).writeContent(out); },
                source);
        }
    }

    // A cancelled run stops both threads; nothing is written.
    writeBytes(source, lines + lines + lines);
    RunControl control;
    control.cancel();
    RunControlScope scope(control);
    for (bool selfAdapting : {false, true}) {
        EXPECT_THROW(convertedWith(source, dir.file("cancelled.pdf"), selfAdapting, {2, 0, 1000}),
                     RunCancelled);
        EXPECT_FALSE(std::filesystem::exists(dir.file("cancelled.pdf")));
    }
}

// A second thread that cannot be started leaves the work to the calling
// thread: the first pass, or the pages, or both are made on one thread, and
// the document is the same.
TEST(TwoThreadConversion, WithoutASecondThreadTheDocumentIsMadeOnOne) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    writeBytes(source, testing::numberedLines(20'000));
    for (bool selfAdapting : {false, true}) {
        const std::string one = convertedWith(source, dir.file("one.pdf"), selfAdapting, {});
        bool shared = false;
        EXPECT_TRUE(
            convertedWith(source, dir.file("two.pdf"), selfAdapting, {2, 0, 1000}, &shared) == one);
        EXPECT_TRUE(shared);
        // No thread at all, then one for the first pass but none for the pages.
        for (unsigned starts : {0u, 1u}) {
            ThreadStartLimit limit(starts);
            EXPECT_TRUE(convertedWith(source, dir.file("two.pdf"), selfAdapting, {2, 0, 1000},
                                      &shared) == one)
                << "self-adapting " << selfAdapting << ", " << starts << " threads";
            EXPECT_FALSE(shared);
        }
    }
}

// Two threads go to their pages by where lines started in the first pass:
// a source rewritten in between with as many lines and bytes, its line ends
// moved, would give a document of two versions. It fails instead, in both
// layouts, and leaves no document.
TEST(TwoThreadConversion, ASourceRewrittenBetweenThePassesFails) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    std::string before, after;
    for (int i = 0; i < 40'000; ++i) {
        before += i % 2 ? "long line\n" : "ab\n";
        after += i % 2 ? "ab\n" : "long line\n";
    }
    for (bool selfAdapting : {false, true}) {
        writeBytes(source, before);
        PendingOutputSeam seam([&](const PendingOutput&) { writeBytes(source, after); });
        ConversionSettings settings;
        settings.chosen.selfAdaptation = selfAdapting ? 1 : 0;
        expectChangedWhileConverted(
            [&] {
                convertSource(source, dir.file("s.pdf"), settings, {}, nullptr, {2, 0, 3000});
            },
            source);
        EXPECT_FALSE(std::filesystem::exists(dir.file("s.pdf")));
    }
}

}  // namespace
}  // namespace leafwright
