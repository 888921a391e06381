// What a conversion tells its run's watch of its progress: that the source
// it opened is laid out on pages, then each page of the document as it is
// written, in order, on the run's thread, whether one thread makes the
// pages or two; a document of many sources counts its pages across them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "converted_text.h"
#include "core/pdf/combined_document.h"
#include "core/pdf/conversion_run.h"
#include "core/platform/run_watch.h"
#include "core/run/run_control.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;
using testing::writeBytes;

class RecordingWatch final : public RunWatch {
  public:
    bool cancelRequested() const noexcept override { return false; }
    void startSource(std::uint64_t) noexcept override {
        if (events.empty() || events.back() != "open") events.push_back("open");
    }
    void addSourceBytes(std::uint64_t bytes) noexcept override { read += bytes; }
    void sourceBecomesPages() noexcept override {
        events.push_back("pages");
        readBeforePages = read;
    }
    void pagesWritten(std::uint64_t done, std::uint64_t total) noexcept override {
        written.emplace_back(done, total);
    }

    std::vector<std::string> events;
    std::atomic<std::uint64_t> read{0};
    std::uint64_t readBeforePages = 0;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> written;
};

// done counts 0, 1, ..., pages - 1 out of pages, each once.
void expectEveryPageInOrder(const RecordingWatch& watch, std::uint64_t pages) {
    ASSERT_EQ(watch.written.size(), pages);
    for (std::uint64_t k = 0; k < pages; ++k)
        EXPECT_EQ(watch.written[k], std::make_pair(k, pages)) << k;
}

TEST(PageProgress, EachPageIsReportedAsItIsWrittenOnOneThreadOrTwo) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    writeBytes(source, testing::numberedLines(30'000));
    for (const bool wrapped : {false, true}) {
        for (const unsigned threads : {1u, 2u}) {
            SCOPED_TRACE(std::to_string(threads) + (wrapped ? " wrapped" : ""));
            ConversionSettings settings;
            if (wrapped) settings.chosen.more.wrap = WrapMode::WordChar;
            RecordingWatch watch;
            RunControlScope scope(watch);
            const ConversionOutcome outcome =
                convertSource(source, dir.file("s.pdf"), settings, {}, nullptr,
                              SourceThreads{threads, 0, 1 << 16});
            EXPECT_EQ(watch.events, (std::vector<std::string>{"open", "pages"}));
            EXPECT_GT(outcome.pages, 100u);
            expectEveryPageInOrder(watch, outcome.pages);
            // Its readings before the pages are counted are not all of it.
            EXPECT_GE(watch.read.load(), watch.readBeforePages);
        }
    }
    // A page that grows to its text is one page: it reports none.
    ConversionSettings adapting;
    adapting.chosen.selfAdaptation = 1;
    RecordingWatch watch;
    RunControlScope scope(watch);
    convertSource(source, dir.file("one.pdf"), adapting, {}, nullptr, SourceThreads{});
    EXPECT_EQ(watch.events, std::vector<std::string>{"open"});
    EXPECT_TRUE(watch.written.empty());
}

TEST(PageProgress, ADocumentOfManySourcesCountsItsPagesAcrossThem) {
    TempDir dir;
    std::vector<std::string> sources;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        sources.push_back(dir.file(name));
        writeBytes(sources.back(), testing::numberedLines(2'000));
    }
    RecordingWatch watch;
    RunControlScope scope(watch);
    const CombinedOutcome outcome =
        convertCombined(sources, dir.file("all.pdf"), ConversionSettings{}, {}, nullptr, {});
    expectEveryPageInOrder(watch, outcome.pages);

    // The window's control keeps them while the next source is opened.
    RunControl control;
    control.sourceBecomesPages();
    control.pagesWritten(3, 9);
    control.startSource(100);
    EXPECT_EQ(control.pagesDone(), 3u);
    EXPECT_EQ(control.pagesInAll(), 9u);
    EXPECT_FALSE(control.sourceOnPages());
    control.sourceBecomesPages();
    EXPECT_EQ(control.pagesInAll(), 0u);
    EXPECT_TRUE(control.sourceOnPages());
}

}  // namespace
}  // namespace leafwright
