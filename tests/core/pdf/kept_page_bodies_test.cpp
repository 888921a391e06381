// Page bodies kept by the reading ahead come back exactly as they went in,
// in memory, in the scratch file, and across the point where keeping stops.
#include "core/pdf/kept_page_bodies.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

// Pages of random sizes (some empty), each added in random pieces, and with
// drops some of them dropped as they end; returns how many were kept and
// checks each kept page handed back.
std::size_t keepAndHandBack(KeptPageBodies& kept, unsigned seed, int pages, bool drops = false) {
    std::mt19937 random(seed);
    std::vector<std::string> bodies;
    for (int page = 0; page < pages; ++page) {
        std::string body(random() % 3 == 0 ? 0 : random() % 70000, '\0');
        for (char& c : body) c = static_cast<char>(random());
        for (std::size_t at = 0; at < body.size();) {
            const std::size_t piece = std::min<std::size_t>(body.size() - at, random() % 9000);
            kept.add(std::string_view(body).substr(at, piece));
            at += piece;
        }
        if (drops && random() % 3 == 0) {
            kept.dropPage();
            EXPECT_FALSE(kept.isKept(static_cast<std::size_t>(page)));
            continue;
        }
        kept.endPage();
        if (kept.isKept(static_cast<std::size_t>(page))) bodies.push_back(std::move(body));
    }
    EXPECT_EQ(kept.pages(), static_cast<std::size_t>(pages));
    EXPECT_EQ(kept.keptPages(), bodies.size());
    for (std::size_t page = 0; page < kept.keptPages(); ++page) {
        EXPECT_EQ(kept.nextSize(), bodies[page].size()) << page;
        std::string back;
        kept.handNext([&](std::string_view bytes) { back += bytes; });
        EXPECT_TRUE(back == bodies[page]) << "kept page " << page << " of seed " << seed;
    }
    return kept.keptPages();
}

TEST(KeptPageBodiesTest, HandsBackEveryPageFromMemoryAndFromTheScratchFile) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        KeptPageBodies inMemory;
        EXPECT_EQ(keepAndHandBack(inMemory, seed, 40), 40u);
        // A small memory: most bytes go to the file, pages straddle both.
        KeptPageBodies spilled(1000 + seed * 5000);
        EXPECT_EQ(keepAndHandBack(spilled, seed, 40), 40u);
        EXPECT_TRUE(spilled.keeping());
        // Pages dropped after others were kept, wherever their bytes were.
        KeptPageBodies someDropped(1000 + seed * 20000);
        EXPECT_GT(keepAndHandBack(someDropped, seed, 60, true), 0u);
        EXPECT_TRUE(someDropped.keeping());
    }
}

TEST(KeptPageBodiesTest, StopsForGoodAtItsBoundKeepingOnlyWholePages) {
    KeptPageBodies bounded(4000, 200000);
    const std::size_t kept = keepAndHandBack(bounded, 3, 60);
    EXPECT_FALSE(bounded.keeping());
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, 60u);
    bounded.forgetAll();
    EXPECT_EQ(bounded.keptPages(), 0u);
    EXPECT_FALSE(bounded.isKept(0));
}

TEST(KeptPageBodiesTest, WithoutAScratchFileKeepsWhatMemoryHolds) {
    TempDir dir;
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ::setenv("TMPDIR", dir.file("missing").c_str(), 1);
    KeptPageBodies noFile(100000);
    const std::size_t kept = keepAndHandBack(noFile, 5, 30);
    if (before)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_FALSE(noFile.keeping());
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, 30u);
}

}  // namespace
}  // namespace leafwright
