// A large source is converted on two threads: stretches of pages or lines
// made by two readers. Whatever the text, the layout, the size of the
// stretches and of the batches between the threads, the bytes must be those
// of one thread, and a failure on either thread must fail the file as it
// does on one.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "converted_text.h"
#include "core/pdf/conversion_run.h"
#include "core/pdf/line_stretches.h"
#include "core/pdf/made_ahead_pages.h"
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

// Pages that one thread must make in order (tab stops, embedded fonts, rows
// cut from lines) are made on a second thread while the first writes them:
// the document is the one a single thread writes, with or without a thread
// to be had, and a source changed meanwhile or a cancelled run fails the
// file and leaves nothing.
TEST(TwoThreadConversion, PagesMadeAheadOfTheWriterAreThoseOfOneThread) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    std::string text;
    for (int i = 0; i < 6000; ++i) {
        text += "line\t" + std::to_string(i) + (i % 7 ? " text" : " \xD0\x96\xD0\xB8\xD0\xB2");
        if (i % 50 == 0) text += std::string(400, 'w') + " end";
        text += "\n";
    }
    writeBytes(source, text);
    ConversionSettings settings;
    settings.chosen.more.wrap = WrapMode::WordChar;
    settings.chosen.more.header = "{file}||{page}/{pages}";
    settings.chosen.more.lineNumbers = 5;
    auto converted = [&](const SourceThreads& threads) {
        const std::string output = dir.file("s.pdf");
        std::filesystem::remove(output);
        ConversionSettings own = settings;
        convertSource(source, output, own, {}, nullptr, threads);
        return readBytes(output);
    };
    const std::string one = converted({});
    testing::checkStructure(one);
    EXPECT_TRUE(converted({2, 0, 1000}) == one);
    for (unsigned starts : {0u, 1u}) {
        ThreadStartLimit limit(starts);
        EXPECT_TRUE(converted({2, 0, 1000}) == one) << starts << " threads";
    }

    // Changed once the first reading is done: the thread that makes the
    // pages finds it.
    std::string changed = text;
    changed.replace(changed.size() / 2, 4, "LINE");
    {
        PendingOutputSeam seam([&](const PendingOutput&) { writeBytes(source, changed); });
        expectChangedWhileConverted([&] { converted({2, 0, 1000}); }, source);
        EXPECT_FALSE(std::filesystem::exists(dir.file("s.pdf")));
    }
    writeBytes(source, text);
    RunControl control;
    control.cancel();
    RunControlScope scope(control);
    EXPECT_THROW(converted({2, 0, 1000}), RunCancelled);
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.pdf")));
}

// Pages of varied sizes, each handed in pieces (an empty one among them),
// made by whichever thread asks; one may fail.
class CountedPages : public PageSequence {
  public:
    // failAt: the page whose making fails; afterLast: a failure once the
    // last page's bytes are handed (as of a source found to go on).
    explicit CountedPages(std::size_t count, std::size_t failAt = ~std::size_t{0},
                          bool afterLast = false)
        : count_(count), failAt_(failAt), afterLast_(afterLast) {}
    std::size_t pageCount() const override { return count_; }
    std::uint64_t nextStreamLength() override {
        if (made_ == failAt_) throw FileError("pages.txt", "went away");
        maker_ = std::this_thread::get_id();
        return bytesOf(made_).size();
    }
    void writeContent(TextFileWriter& out) override {
        handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
    }
    void handContent(const TakeContent& take) override {
        const std::string bytes = bytesOf(made_);
        take(std::string_view(bytes).substr(0, 3));
        take({});
        take(std::string_view(bytes).substr(3));
        if (++made_ == count_ && afterLast_) throw FileError("pages.txt", "goes on");
    }
    static std::string bytesOf(std::size_t page) {
        return std::string(3 + page * 37 % 5000, static_cast<char>('a' + page % 26));
    }
    std::size_t made() const noexcept { return made_; }
    std::thread::id maker() const noexcept { return maker_; }

  private:
    std::size_t count_, failAt_;
    bool afterLast_;
    std::atomic<std::size_t> made_{0};
    std::thread::id maker_;
};

TEST(TwoThreadConversion, PagesMadeAheadArriveInOrderFailWhereTheyFailAndStopWhenLeft) {
    for (unsigned starts : {1u, 0u}) {
        SCOPED_TRACE(std::to_string(starts) + " threads to be had");
        ThreadStartLimit limit(starts);
        CountedPages pages(3000);
        MadeAheadPages ahead(pages);
        EXPECT_EQ(ahead.onTwoThreads(), starts == 1);
        EXPECT_EQ(ahead.pageCount(), 3000u);
        for (std::size_t page = 0; page < 3000; ++page) {
            const std::string expected = CountedPages::bytesOf(page);
            ASSERT_EQ(ahead.nextStreamLength(), expected.size());
            std::string got;
            ahead.handContent([&](std::string_view bytes) { got += bytes; });
            ASSERT_EQ(got, expected) << page;
        }
        // Done with the last page taken: the sequence is the caller's again.
        EXPECT_EQ(pages.made(), 3000u);
        EXPECT_EQ(pages.maker() == std::this_thread::get_id(), starts == 0);
    }

    // The failure of the page being made reaches the call that takes it,
    // after the pages before it.
    CountedPages failing(50, 20);
    MadeAheadPages ahead(failing);
    for (std::size_t page = 0; page < 20; ++page) {
        ahead.nextStreamLength();
        ahead.handContent([](std::string_view) {});
    }
    try {
        ahead.nextStreamLength();
        ADD_FAILURE() << "the failure was lost";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), "pages.txt");
        EXPECT_EQ(error.cause(), "went away");
    }

    // So does a failure found once the last page was handed over.
    CountedPages growing(30, ~std::size_t{0}, true);
    MadeAheadPages last(growing);
    for (std::size_t page = 0; page + 1 < 30; ++page) {
        last.nextStreamLength();
        last.handContent([](std::string_view) {});
    }
    last.nextStreamLength();
    EXPECT_THROW(last.handContent([](std::string_view) {}), FileError);

    // A writer that gives up early stops the making: it runs ahead by the
    // pipe's few batches at most.
    CountedPages many(1'000'000);
    {
        MadeAheadPages left(many);
        left.nextStreamLength();
        left.handContent([](std::string_view) {});
    }
    EXPECT_LT(many.made(), 100'000u);
}

}  // namespace
}  // namespace leafwright
