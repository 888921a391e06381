// Runs shared out between two threads: whoever makes each run, the writing
// side gets every run once, in order, and a failure on the other thread
// reaches it.
#include "core/pdf/shared_runs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace leafwright {
namespace {

void pause(std::mt19937& random) {
    if (random() % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
}

// Each run is one number, its own times three; the writing side collects
// them, making a run itself as the same number.
std::vector<std::uint64_t> writtenRuns(std::size_t runCount, unsigned seed, std::size_t& madeHere) {
    std::mt19937 otherRandom(seed), writerRandom(seed + 1);
    SharedRuns runs(
        runCount,
        [&](std::size_t run, ContentPipe& pipe) {
            pause(otherRandom);
            pipe.putNumber(run * 3);
        },
        1 + seed % 16);
    std::vector<std::uint64_t> written;
    madeHere = 0;
    for (std::size_t run = 0; run < runCount; ++run) {
        pause(writerRandom);
        if (runs.startRun(run)) {
            written.push_back(run * 3);
            ++madeHere;
        } else {
            written.push_back(runs.content().takeNumber());
        }
    }
    runs.content().finish();
    return written;
}

TEST(SharedRuns, EveryRunIsWrittenOnceInOrderWhoeverMakesIt) {
    std::size_t madeHereAtAll = 0, madeThereAtAll = 0;
    for (unsigned seed = 0; seed < 40; ++seed) {
        const std::size_t runCount = 1 + seed * 7 % 60;
        std::vector<std::uint64_t> expected;
        for (std::size_t run = 0; run < runCount; ++run) expected.push_back(run * 3);
        std::size_t madeHere = 0;
        EXPECT_EQ(writtenRuns(runCount, seed, madeHere), expected) << "seed " << seed;
        madeHereAtAll += madeHere;
        madeThereAtAll += runCount - madeHere;
    }
    // Over all the rounds both sides made runs, so both ways were tried.
    EXPECT_GT(madeHereAtAll, 0u);
    EXPECT_GT(madeThereAtAll, 0u);
}

TEST(SharedRuns, AFailureOnTheOtherThreadReachesTheWritingSide) {
    constexpr std::size_t kRuns = 2000;
    SharedRuns runs(
        kRuns, [](std::size_t, ContentPipe&) { throw std::runtime_error("the source broke"); }, 8);
    try {
        for (std::size_t run = 0; run < kRuns; ++run) {
            // Slow enough that the other thread comes to claim a run.
            if (runs.startRun(run))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            else
                runs.content().takeNumber();
        }
        runs.content().finish();
        FAIL() << "the failure was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "the source broke");
    }
}

}  // namespace
}  // namespace leafwright
