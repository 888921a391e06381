// Stretches shared out between two threads: whoever makes each stretch, the
// writing side gets every stretch once, in order, a failure on the helper
// reaches it, and without a helper thread the calling thread makes them all.
#include "core/run/shared_stretches.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/run/helper_thread.h"

namespace leafwright {
namespace {

void pause(std::mt19937& random) {
    if (random() % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
}

// Each stretch is its own number times three followed by as many bytes 'x'
// as its number modulo 5; the writing side collects the numbers, making a
// stretch itself as the same number, and counts the stretches it made. It
// leaves the last stretch until the helper has made one, so that the helper
// makes some however late it starts.
std::vector<std::uint64_t> writtenStretches(std::size_t count, unsigned seed,
                                            std::size_t& madeHere) {
    std::mt19937 helperRandom(seed), writerRandom(seed + 1);
    std::mutex mutex;
    std::condition_variable helperMade;
    bool helperMadeOne = false;
    SharedStretches stretches(
        count,
        [&](std::size_t stretch, SharedStretches::Output& output) {
            pause(helperRandom);
            output.putNumber(stretch * 3);
            output.putBytes(std::string(stretch % 5, 'x'));
            std::lock_guard lock(mutex);
            helperMadeOne = true;
            helperMade.notify_all();
        },
        1 + seed % 16);
    std::vector<std::uint64_t> written;
    madeHere = 0;
    for (std::size_t stretch = 0; stretch < count; ++stretch) {
        pause(writerRandom);
        if (stretch + 1 == count && stretches.helperStarted()) {
            std::unique_lock lock(mutex);
            helperMade.wait(lock, [&] { return helperMadeOne; });
        }
        if (stretches.startStretch(stretch)) {
            written.push_back(stretch * 3);
            ++madeHere;
            continue;
        }
        written.push_back(stretches.takeNumber());
        std::string bytes;
        stretches.takeBytes(stretch % 5, [&](std::string_view piece) { bytes += piece; });
        EXPECT_EQ(bytes, std::string(stretch % 5, 'x'));
    }
    stretches.finish();
    return written;
}

std::vector<std::uint64_t> expectedStretches(std::size_t count) {
    std::vector<std::uint64_t> expected;
    for (std::size_t stretch = 0; stretch < count; ++stretch) expected.push_back(stretch * 3);
    return expected;
}

TEST(SharedStretches, EveryStretchIsWrittenOnceInOrderWhoeverMakesIt) {
    std::size_t madeHereAtAll = 0;
    for (unsigned seed = 0; seed < 40; ++seed) {
        const std::size_t count = 1 + seed * 7 % 60;
        std::size_t madeHere = 0;
        EXPECT_EQ(writtenStretches(count, seed, madeHere), expectedStretches(count))
            << "seed " << seed;
        EXPECT_LT(madeHere, count) << "seed " << seed;
        madeHereAtAll += madeHere;
    }
    // Over all the rounds the calling thread made stretches too, so both
    // ways were tried.
    EXPECT_GT(madeHereAtAll, 0u);
}

TEST(SharedStretches, WithoutAHelperThreadTheCallingThreadMakesEveryStretch) {
    ThreadStartLimit noThreads(0);
    std::size_t madeHere = 0;
    EXPECT_EQ(writtenStretches(25, 3, madeHere), expectedStretches(25));
    EXPECT_EQ(madeHere, 25u);
}

TEST(SharedStretches, AFailureOnTheHelperReachesTheWritingSide) {
    constexpr std::size_t kStretches = 2000;
    SharedStretches stretches(
        kStretches,
        [](std::size_t, SharedStretches::Output&) { throw std::runtime_error("the source broke"); },
        8);
    try {
        for (std::size_t stretch = 0; stretch < kStretches; ++stretch) {
            // Slow enough that the helper comes to claim a stretch.
            if (stretches.startStretch(stretch))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            else
                stretches.takeNumber();
        }
        stretches.finish();
        FAIL() << "the failure was lost";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "the source broke");
    }
}

}  // namespace
}  // namespace leafwright
