// The run with several workers, on steps whose speed differs from source to
// source: reports in order, one output at a time, steps of their own.
#include "core/run/parallel_file_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/run/helper_thread.h"
#include "support/recording_run_handler.h"

namespace leafwright {
namespace {

struct PatientHandler : testing::RecordingRunHandler {
    bool reportsMayWait() const override { return true; }
};

// Sources "sN" whose output is "o0" or "o1" by N's parity, so that sources a
// worker apart share an output; every seventh fails. Each conversion notes
// whether its output was being written already, and the order in which each
// output was written.
class FakeConversions {
  public:
    FileRunStepsMaker maker() {
        return [this](unsigned threadsPerFile) {
            ++stepsMade;
            {
                std::lock_guard lock(mutex);
                threadsGiven.push_back(threadsPerFile);
            }
            FileRunSteps steps;
            steps.outputPathOf = [](const std::string& source) {
                return "o" + std::to_string(std::stoi(source.substr(1)) % 2);
            };
            steps.convertOne = [this](const std::string& source, const std::string& output,
                                      const ReplaceQuestion&) {
                const int number = std::stoi(source.substr(1));
                {
                    std::lock_guard lock(mutex);
                    if (!busy.insert(output).second) overlapped = true;
                    writers[output].push_back(number);
                }
                // Uneven work, so that later sources often finish first.
                std::this_thread::sleep_for(std::chrono::microseconds((number * 37) % 200));
                {
                    std::lock_guard lock(mutex);
                    busy.erase(output);
                }
                if (number % 7 == 3) throw FileError(source, "fails on purpose");
                return FileRunStepResult{};
            };
            return steps;
        };
    }

    std::atomic<int> stepsMade{0};
    std::vector<unsigned> threadsGiven;
    std::mutex mutex;
    std::set<std::string> busy;
    bool overlapped = false;
    std::map<std::string, std::vector<int>> writers;
};

// The sources s0 to s<count - 1>, one at a time.
SourceFeed numberedSources(int count) {
    return [count, next = 0](std::string& source) mutable {
        if (next == count) return false;
        source = "s" + std::to_string(next++);
        return true;
    };
}

// What a run over those sources reports, in order.
std::vector<std::string> expectedReports(int count) {
    std::vector<std::string> expected;
    for (int i = 0; i < count; ++i) {
        const std::string output = "o" + std::to_string(i % 2);
        expected.push_back(i % 7 == 3 ? "failed s" + std::to_string(i)
                                      : "converted s" + std::to_string(i) + " -> " + output);
    }
    return expected;
}

TEST(ParallelFileRun, ReportsInOrderWithOneWriterPerOutput) {
    FakeConversions conversions;
    PatientHandler handler;
    runOverFilesInParallel(numberedSources(400), conversions.maker(), handler, 3);

    EXPECT_EQ(handler.events, expectedReports(400));
    EXPECT_EQ(conversions.stepsMade, 3);
    // Workers side by side convert one file each on one thread.
    EXPECT_EQ(conversions.threadsGiven, std::vector<unsigned>(3, 1));
    EXPECT_FALSE(conversions.overlapped);
    for (const auto& [output, numbers] : conversions.writers)
        EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end())) << output;
}

TEST(ParallelFileRun, NeverMoreWorkersThanSourcesAndAListThatFailsEndsTheRun) {
    FakeConversions conversions;
    PatientHandler handler;
    std::vector<std::string> two{"s1", "s2"};
    std::size_t next = 0;
    runOverFilesInParallel(
        [&](std::string& source) {
            if (next == two.size()) return false;
            source = two[next++];
            return true;
        },
        conversions.maker(), handler, 8);
    EXPECT_EQ(conversions.stepsMade, 2);
    EXPECT_EQ(handler.events.size(), 2u);

    // A single source has the run's cores to itself.
    FakeConversions single;
    PatientHandler alone;
    bool fed = false;
    runOverFilesInParallel(
        [&](std::string& source) {
            source = "s1";
            return !std::exchange(fed, true);
        },
        single.maker(), alone, 8);
    EXPECT_EQ(single.threadsGiven, std::vector<unsigned>{8});
    EXPECT_EQ(alone.events.size(), 1u);

    // The sources read before the list failed are reported; then the error.
    PatientHandler cut;
    int given = 0;
    EXPECT_THROW(runOverFilesInParallel(
                     [&](std::string& source) {
                         if (given == 50) throw FileError("list", "Input/output error");
                         source = "s" + std::to_string(given++ * 7 + 1);
                         return true;
                     },
                     conversions.maker(), cut, 2),
                 FileError);
    EXPECT_EQ(cut.events.size(), 50u);
    EXPECT_EQ(cut.events.back(), "converted s344 -> o0");
}

// A worker whose thread cannot be started is one worker fewer, down to the
// calling thread alone: every source is still converted and reported, in
// order, each on one thread.
TEST(ParallelFileRun, ThreadsThatCannotStartMeanFewerWorkers) {
    for (unsigned starts : {0u, 1u, 2u}) {
        SCOPED_TRACE(std::to_string(starts) + " threads may start");
        FakeConversions conversions;
        PatientHandler handler;
        {
            ThreadStartLimit limit(starts);
            runOverFilesInParallel(numberedSources(120), conversions.maker(), handler, 8);
        }
        EXPECT_EQ(handler.events, expectedReports(120));
        EXPECT_EQ(conversions.threadsGiven, std::vector<unsigned>(std::max(starts, 1u), 1));
        EXPECT_FALSE(conversions.overlapped);
    }
}

}  // namespace
}  // namespace leafwright
