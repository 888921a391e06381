// Subsets of CFF programs draw every glyph kept exactly as the whole
// program does, keep only the subroutines their glyphs call, and refuse a
// damaged program or charstrings they cannot follow instead of crashing.
#include "core/fonts/cff_subset.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/fonts/cff_glyph_outline.h"
#include "core/fonts/cff_parts.h"
#include "core/fonts/cff_table.h"
#include "core/fonts/truetype_face.h"

namespace leafwright {
namespace {

// --- Programs written here ---------------------------------------------------

std::string index(const std::vector<std::string>& items) {
    std::string out;
    out += static_cast<char>(items.size() >> 8);
    out += static_cast<char>(items.size() & 0xFF);
    if (items.empty()) return out;
    out += '\4';  // four-byte offsets, whatever the sizes
    std::uint32_t offset = 1;
    auto putOffset = [&out](std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
    };
    putOffset(offset);
    for (const std::string& item : items) putOffset(offset += item.size());
    for (const std::string& item : items) out += item;
    return out;
}

// A number in the three-byte form (DICTs and charstrings both read it).
std::string number(int value) {
    return {'\x1C', static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

// A DICT integer in the five-byte form, for offsets past 32,767.
std::string offset(int value) {
    std::string out(1, '\x1D');
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
    return out;
}

// A name-keyed program of the given charstrings and subroutines.
std::string program(const std::vector<std::string>& charStrings,
                    const std::vector<std::string>& globalSubrs,
                    const std::vector<std::string>& localSubrs) {
    const std::string header("\x01\x00\x04\x04", 4);
    const std::string names = index({"Generated"});
    const std::string strings = index({});
    const std::string globals = index(globalSubrs);
    const std::string glyphs = index(charStrings);
    std::string privateDict = number(500) + "\x14";  // defaultWidthX
    if (!localSubrs.empty())
        privateDict += number(static_cast<int>(privateDict.size() + 4)) + "\x13";
    auto topDict = [&](int charStringsAt, int privateAt) {
        return number(0) + number(-200) + number(1000) + number(900) + "\x05" +
               offset(charStringsAt) + "\x11" + number(static_cast<int>(privateDict.size())) +
               offset(privateAt) + "\x12";
    };
    const std::size_t topSize = index({topDict(0, 0)}).size();
    const int charStringsAt =
        static_cast<int>(header.size() + names.size() + topSize + strings.size() + globals.size());
    const int privateAt = charStringsAt + static_cast<int>(glyphs.size());
    return header + names + index({topDict(charStringsAt, privateAt)}) + strings + globals +
           glyphs + privateDict + (localSubrs.empty() ? "" : index(localSubrs));
}

long bias(std::size_t count) {
    return count < 1240 ? 107 : count < 33900 ? 1131 : 32768;
}

// Random glyphs over random subroutines: each subroutine draws a few lines
// and curves and may call subroutines of higher numbers (so none calls
// itself); a glyph sets stems and a hint mask, moves and draws, calling
// some. The generator knows which subroutines each glyph reaches.
struct GeneratedProgram {
    std::string bytes;
    std::vector<std::set<std::size_t>> globalsOf, localsOf;  // reached, by glyph
};

GeneratedProgram generate(std::mt19937& random, std::size_t globals, std::size_t locals,
                          std::size_t glyphCount) {
    auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Numbers in a random one of their forms, to read each.
    auto anyNumber = [&](int value) {
        if (value >= -107 && value <= 107 && pick(0, 1) == 0)
            return std::string(1, static_cast<char>(value + 139));
        return number(value);
    };
    auto drawing = [&] {
        std::string out;
        for (int i = pick(1, 3); i > 0; --i) {
            if (pick(0, 1) == 0) {
                out += anyNumber(pick(-300, 300)) + anyNumber(pick(-300, 300)) + "\x05";
            } else {
                for (int k = 0; k < 6; ++k) out += anyNumber(pick(-200, 200));
                out += "\x08";
            }
        }
        return out;
    };
    std::vector<std::set<std::size_t>> globalReach(globals), localReach(locals);
    std::vector<std::set<std::size_t>> globalLocalReach(locals);
    std::vector<std::string> globalSubrs(globals), localSubrs(locals);
    // Built from the highest number down, so that a call's reach is known.
    for (std::size_t i = globals; i-- > 0;) {
        std::string body = drawing();
        if (i + 1 < globals && pick(0, 2) == 0) {
            const std::size_t callee = static_cast<std::size_t>(
                pick(static_cast<int>(i + 1), static_cast<int>(globals - 1)));
            body += anyNumber(static_cast<int>(callee - bias(globals))) + "\x1D";
            globalReach[i].insert(callee);
            globalReach[i].insert(globalReach[callee].begin(), globalReach[callee].end());
        }
        globalSubrs[i] = body + drawing() + "\x0B";
    }
    for (std::size_t i = locals; i-- > 0;) {
        std::string body = drawing();
        if (i + 1 < locals && pick(0, 2) == 0) {
            const std::size_t callee = static_cast<std::size_t>(
                pick(static_cast<int>(i + 1), static_cast<int>(locals - 1)));
            body += anyNumber(static_cast<int>(callee - bias(locals))) + "\x0A";
            localReach[i].insert(callee);
            localReach[i].insert(localReach[callee].begin(), localReach[callee].end());
        }
        if (globals > 0 && pick(0, 3) == 0) {
            const std::size_t callee =
                static_cast<std::size_t>(pick(0, static_cast<int>(globals - 1)));
            body += anyNumber(static_cast<int>(callee - bias(globals))) + "\x1D";
            globalLocalReach[i].insert(callee);  // reached through a local one
        }
        localSubrs[i] = body + "\x0B";
    }
    GeneratedProgram made;
    std::vector<std::string> charStrings{"\x0E"};
    made.globalsOf.emplace_back();
    made.localsOf.emplace_back();
    for (std::size_t g = 1; g < glyphCount; ++g) {
        std::set<std::size_t> reachedGlobals, reachedLocals;
        std::string glyph;
        const int stems = pick(0, 12);
        for (int s = 0; s < stems; ++s) glyph += anyNumber(pick(0, 50)) + anyNumber(pick(1, 40));
        if (stems > 0) {
            glyph += "\x12";  // hstemhm
            glyph += "\x13";  // hintmask
            for (int b = 0; b < (stems + 7) / 8; ++b) glyph += static_cast<char>(pick(0, 255));
        }
        glyph += anyNumber(pick(0, 400)) + anyNumber(pick(0, 400)) + "\x15";
        for (int part = pick(1, 4); part > 0; --part) {
            glyph += drawing();
            const int kind = pick(0, 2);
            if (kind == 0 && globals > 0) {
                const std::size_t s =
                    static_cast<std::size_t>(pick(0, static_cast<int>(globals - 1)));
                glyph += anyNumber(static_cast<int>(s - bias(globals))) + "\x1D";
                reachedGlobals.insert(s);
                reachedGlobals.insert(globalReach[s].begin(), globalReach[s].end());
            } else if (kind == 1 && locals > 0) {
                const std::size_t s =
                    static_cast<std::size_t>(pick(0, static_cast<int>(locals - 1)));
                glyph += anyNumber(static_cast<int>(s - bias(locals))) + "\x0A";
                reachedLocals.insert(s);
                reachedLocals.insert(localReach[s].begin(), localReach[s].end());
            }
        }
        // What the local subroutines reached call among the global ones.
        for (std::size_t s : std::set<std::size_t>(reachedLocals))
            for (std::size_t callee : globalLocalReach[s]) {
                reachedGlobals.insert(callee);
                reachedGlobals.insert(globalReach[callee].begin(), globalReach[callee].end());
            }
        charStrings.push_back(glyph + "\x0E");
        made.globalsOf.push_back(reachedGlobals);
        made.localsOf.push_back(reachedLocals);
    }
    made.bytes = program(charStrings, globalSubrs, localSubrs);
    return made;
}

std::size_t localSubrCount(const cff::CffProgram& read) {
    std::size_t count = 0;
    for (const cff::Index& local : read.localSubrs) count += local.items.size();
    return count;
}

// Random subsets of random programs draw each glyph as the whole program
// does, and hold exactly the subroutines their glyphs reach, across the
// counts where the bias of the numbers changes (107, 1131).
TEST(CffSubset, GeneratedProgramsDrawAlikeWithOnlyTheSubroutinesReached) {
    std::mt19937 random(2026);
    for (int round = 0; round < 24; ++round) {
        const std::size_t globals = round % 3 == 0 ? 1300 : static_cast<std::size_t>(round * 7);
        const std::size_t locals = round % 4 == 1 ? 1250 : static_cast<std::size_t>(round * 5);
        const GeneratedProgram made = generate(random, globals, locals, 40);
        const CffSubsetter subsetter(made.bytes);

        std::vector<GlyphId> glyphs{0};
        for (GlyphId g = 1; g < 40; ++g)
            if (std::uniform_int_distribution<int>(0, 3)(random) == 0) glyphs.push_back(g);
        const std::string subset = subsetter.subset(glyphs);
        const cff::CffProgram read = cff::readCffProgram(subset);
        ASSERT_EQ(read.charStrings.items.size(), glyphs.size());

        std::vector<GlyphId> identity(glyphs.size());
        for (std::size_t n = 0; n < identity.size(); ++n) identity[n] = static_cast<GlyphId>(n);
        const std::vector<std::string> whole = cffGlyphOutlines(made.bytes, glyphs);
        const std::vector<std::string> drawn = cffGlyphOutlines(subset, identity);
        std::set<std::size_t> reachedGlobals, reachedLocals;
        for (std::size_t n = 1; n < glyphs.size(); ++n) {
            ASSERT_FALSE(whole[n].empty()) << "round " << round << " glyph " << glyphs[n];
            EXPECT_EQ(drawn[n], whole[n]) << "round " << round << " glyph " << glyphs[n];
            reachedGlobals.insert(made.globalsOf[glyphs[n]].begin(),
                                  made.globalsOf[glyphs[n]].end());
            reachedLocals.insert(made.localsOf[glyphs[n]].begin(), made.localsOf[glyphs[n]].end());
        }
        EXPECT_EQ(drawn[0], "") << "glyph 0 draws nothing";
        EXPECT_EQ(read.globalSubrs.items.size(), reachedGlobals.size()) << "round " << round;
        EXPECT_EQ(localSubrCount(read), reachedLocals.size()) << "round " << round;
        // Made CID-keyed again, as a document's font is, it still draws so.
        EXPECT_EQ(cffGlyphOutlines(cidKeyedCff(subset, identity), identity), drawn);
    }
}

// The subset of a program's glyphs or the refusal to cut one, from a
// subsetter; "refused" for the refusal.
std::string subsetOrRefusal(const CffSubsetter& subsetter, const std::vector<GlyphId>& glyphs) {
    try {
        return subsetter.subset(glyphs);
    } catch (const std::runtime_error&) {
        return "refused";
    }
}

// A subsetter that keeps each glyph's walk for the next subsets cuts the same
// subsets as one that walks every glyph again, over random glyph sets in any
// order (glyph 0 among them, some twice), with room for every walk or for
// only a few.
TEST(CffSubset, KeptWalksCutTheSameSubsets) {
    std::mt19937 random(404);
    for (int round = 0; round < 12; ++round) {
        const std::size_t globals = round % 3 == 0 ? 1300 : static_cast<std::size_t>(round * 9);
        const std::size_t locals = round % 4 == 1 ? 1250 : static_cast<std::size_t>(round * 4);
        const GeneratedProgram made = generate(random, globals, locals, 60);
        const CffSubsetter walkingAgain(made.bytes, 0);
        const CffSubsetter keeping(made.bytes);
        const CffSubsetter keepingFew(made.bytes, 3000);
        for (int text = 0; text < 20; ++text) {
            std::vector<GlyphId> glyphs{0};
            const int count = std::uniform_int_distribution<int>(1, 25)(random);
            for (int i = 0; i < count; ++i)
                glyphs.push_back(std::uniform_int_distribution<GlyphId>(0, 59)(random));
            const std::string expected = subsetOrRefusal(walkingAgain, glyphs);
            ASSERT_NE(expected, "refused") << "round " << round;
            EXPECT_EQ(subsetOrRefusal(keeping, glyphs), expected) << "round " << round;
            EXPECT_EQ(subsetOrRefusal(keepingFew, glyphs), expected) << "round " << round;
        }
        EXPECT_GT(keeping.keptWalkBytes(), 0u);
        EXPECT_LE(keepingFew.keptWalkBytes(), 3000u);
        EXPECT_EQ(walkingAgain.keptWalkBytes(), 0u);
    }
}

// Two jobs cutting subsets of one program at once share its kept walks,
// and each still gets the subsets walked again alone would give.
TEST(CffSubset, KeptWalksServeTwoJobsAtOnce) {
    std::mt19937 random(77);
    const GeneratedProgram made = generate(random, 400, 300, 200);
    const CffSubsetter walkingAgain(made.bytes, 0);
    const CffSubsetter keeping(made.bytes, 20000);
    std::vector<std::vector<GlyphId>> subsets;
    std::vector<std::string> expected;
    for (int text = 0; text < 60; ++text) {
        std::vector<GlyphId> glyphs{0};
        for (int i = 0; i < 30; ++i)
            glyphs.push_back(std::uniform_int_distribution<GlyphId>(1, 199)(random));
        subsets.push_back(glyphs);
        expected.push_back(subsetOrRefusal(walkingAgain, glyphs));
    }
    std::vector<std::string> got[2];
    auto job = [&](int which) {
        for (std::size_t i = 0; i < subsets.size(); ++i)
            got[which].push_back(
                subsetOrRefusal(keeping, subsets[(i + which * 7) % subsets.size()]));
    };
    std::thread other(job, 1);
    job(0);
    other.join();
    for (int which = 0; which < 2; ++which)
        for (std::size_t i = 0; i < subsets.size(); ++i)
            ASSERT_EQ(got[which][i], expected[(i + which * 7) % subsets.size()])
                << which << " " << i;
    EXPECT_LE(keeping.keptWalkBytes(), 20000u);
}

// A subroutine setting a hint mask reads as long a mask as the stems set
// before its call: here it returns one byte later after twelve stems than
// after four. No subset may hold glyphs that set different stems before
// calling it, kept walks or not; each glyph alone is cut.
TEST(CffSubset, KeptWalksRefuseASubroutineReadOtherwiseByAnotherGlyph) {
    auto stems = [](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) out += number(10 * i) + number(5);
        return out + "\x12";  // hstemhm
    };
    const std::string masked("\x13\xFF\x0B\x0B");  // hintmask, mask, return
    auto calling = [&](int stemCount) { return stems(stemCount) + number(-107) + "\x0A\x0E"; };
    const std::string bytes = program({"\x0E", calling(12), calling(4), calling(4)}, {}, {masked});
    const CffSubsetter walkingAgain(bytes, 0);
    const CffSubsetter keeping(bytes);
    const std::vector<std::vector<GlyphId>> subsets{
        {0, 1}, {0, 2}, {0, 1, 2}, {0, 2, 3}, {0, 3, 1}};
    for (const std::vector<GlyphId>& glyphs : subsets) {
        const std::string expected = subsetOrRefusal(walkingAgain, glyphs);
        const bool mixed = glyphs.size() == 3 && glyphs[1] != 2;
        EXPECT_EQ(expected == "refused", mixed) << glyphs.size() << " " << glyphs[1];
        EXPECT_EQ(subsetOrRefusal(keeping, glyphs), expected);
    }
}

// --- Charstrings it must not follow, and damaged programs --------------------

std::string line() {
    return number(10) + number(20) + "\x05";
}
std::string moveThen(const std::string& rest) {
    return number(100) + number(100) + "\x15" + rest + "\x0E";
}

bool refused(const std::string& bytes, const std::vector<GlyphId>& glyphs) {
    try {
        CffSubsetter(bytes).subset(glyphs);
    } catch (const std::runtime_error&) {
        return true;
    }
    return false;
}

TEST(CffSubset, RefusesCallsItCannotFollow) {
    const int b = -107;  // the number of subroutine 0 of a few
    // A chain of subroutines each calling the next: ten levels are allowed.
    auto chain = [&](int levels) {
        std::vector<std::string> subrs;
        for (int i = 0; i < levels; ++i)
            subrs.push_back(line() + (i + 1 < levels ? number(b + i + 1) + "\x0A" : "") + "\x0B");
        return program({"\x0E", moveThen(number(b) + "\x0A")}, {}, subrs);
    };
    EXPECT_FALSE(refused(chain(10), {0, 1}));
    EXPECT_TRUE(refused(chain(11), {0, 1}));
    // The same ten levels met first from a glyph, then one level deeper
    // from another.
    auto twoGlyphs = [&] {
        std::vector<std::string> subrs;
        for (int i = 0; i < 11; ++i)
            subrs.push_back(line() + (i + 1 < 11 ? number(b + i + 1) + "\x0A" : "") + "\x0B");
        return program({"\x0E", moveThen(number(b + 1) + "\x0A"), moveThen(number(b) + "\x0A")}, {},
                       subrs);
    };
    EXPECT_FALSE(refused(twoGlyphs(), {0, 1}));
    EXPECT_TRUE(refused(twoGlyphs(), {0, 1, 2}));
    // A subroutine calling itself.
    EXPECT_TRUE(refused(
        program({"\x0E", moveThen(number(b) + "\x0A")}, {}, {line() + number(b) + "\x0A\x0B"}),
        {0, 1}));
    // A call of a subroutine beyond the INDEX, and one of a global one when
    // there is none.
    EXPECT_TRUE(refused(program({"\x0E", moveThen(number(b + 1) + "\x0A")}, {}, {line() + "\x0B"}),
                        {0, 1}));
    EXPECT_TRUE(refused(program({"\x0E", moveThen(number(b) + "\x1D")}, {}, {}), {0, 1}));
    // A number computed rather than written (1 + -108 add callsubr).
    EXPECT_TRUE(refused(program({"\x0E", moveThen(number(1) + number(b - 1) + "\x0C\x0A\x0A")}, {},
                                {line() + "\x0B"}),
                        {0, 1}));
    // A subroutine's number pushed by the glyph before it calls the one that
    // calls it: no number to rewrite in the subroutine's own bytes.
    EXPECT_TRUE(refused(program({"\x0E", moveThen(number(b + 1) + number(b) + "\x0A")}, {},
                                {std::string("\x0A\x0B"), line() + "\x0B"}),
                        {0, 1}));
    // An accented character (endchar with four operands more).
    EXPECT_TRUE(
        refused(program({"\x0E", number(0) + number(0) + number(65) + number(66) + "\x0E"}, {}, {}),
                {0, 1}));
    // A glyph beyond the program's; a glyph without endchar.
    EXPECT_TRUE(refused(program({"\x0E", moveThen("")}, {}, {}), {0, 2}));
    EXPECT_TRUE(refused(program({"\x0E", line()}, {}, {}), {0, 1}));
    // A hint mask running past the charstring's end.
    EXPECT_TRUE(refused(program({"\x0E", number(0) + number(10) + "\x12\x13"}, {}, {}), {0, 1}));
}

// Every cut and random damage of a program is refused or gives a program
// that reads again; none crashes or reads out of bounds (which the address
// sanitizer builds catch).
TEST(CffSubset, DamagedProgramsAreRefusedOrReadAgain) {
    std::mt19937 random(7);
    const GeneratedProgram made = generate(random, 30, 20, 8);
    const std::vector<GlyphId> all{0, 1, 2, 3, 4, 5, 6, 7};
    for (std::size_t length = 0; length < made.bytes.size(); ++length)
        EXPECT_TRUE(refused(made.bytes.substr(0, length), all)) << length;
    int madeAgain = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = made.bytes;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[std::uniform_int_distribution<std::size_t>(0, damaged.size() - 1)(random)] =
                static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        // Kept walks or not, the same damage is refused or cut alike.
        std::unique_ptr<const CffSubsetter> keeping, walkingAgain;
        try {
            keeping = std::make_unique<const CffSubsetter>(damaged);
            walkingAgain = std::make_unique<const CffSubsetter>(damaged, 0);
        } catch (const std::runtime_error&) {
            continue;
        }
        const std::string subset = subsetOrRefusal(*walkingAgain, all);
        ASSERT_EQ(subsetOrRefusal(*keeping, {0, 3}), subsetOrRefusal(*walkingAgain, {0, 3}))
            << round;
        ASSERT_EQ(subsetOrRefusal(*keeping, all), subset) << round;
        if (subset == "refused") continue;
        ++madeAgain;
        EXPECT_NO_THROW(cff::readCffProgram(subset)) << round;
    }
    EXPECT_GT(madeAgain, 0) << "some damage (in a drawing's numbers) still reads";
}

// --- The Noto CJK faces, when installed ----------------------------------------

const std::string kNotoSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// Texts of random Hangul, Han and kana in each face of the collection: the
// subset the face makes draws each glyph as the whole face does, is the
// subsetter's own (hints kept, unused font dictionaries and subroutines
// dropped), and comes out the same when made again, and when made by a
// subsetter that keeps no walks.
TEST(CffSubset, NotoCjkSubsetsDrawAsTheWholeFace) {
    if (!std::filesystem::exists(kNotoSansCjk)) GTEST_SKIP() << "Noto CJK is not installed";
    std::mt19937 random(11);
    for (unsigned faceIndex : {0u, 1u, 2u}) {
        const std::unique_ptr<FontFace> face = openTrueTypeFace(kNotoSansCjk, faceIndex);
        ASSERT_TRUE(face);
        const std::string_view table = cffTableOf(face->file());
        ASSERT_FALSE(table.empty());
        const cff::CffProgram whole = cff::readCffProgram(table);
        const CffSubsetter subsetter(table);
        const CffSubsetter walkingAgain(table, 0);
        for (int text = 0; text < 4; ++text) {
            std::vector<GlyphId> glyphs;
            for (int i = 0; i < 120; ++i) {
                const int block = std::uniform_int_distribution<int>(0, 2)(random);
                const char32_t c = block == 0   ? 0xAC00 + random() % 11172
                                   : block == 1 ? 0x4E00 + random() % 20902
                                                : 0x3041 + random() % 86;
                if (const GlyphId g = face->glyphFor(c)) glyphs.push_back(g);
            }
            const FontSubset subset = face->subset(glyphs);
            std::vector<GlyphId> kept = glyphs;
            kept.push_back(0);
            std::sort(kept.begin(), kept.end());
            kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
            ASSERT_EQ(subset.program, subsetter.subset(kept)) << "the face used another subsetter";
            ASSERT_EQ(subset.program, walkingAgain.subset(kept)) << "kept walks cut otherwise";
            const cff::CffProgram read = cff::readCffProgram(subset.program);
            EXPECT_LT(read.globalSubrs.items.size(), whole.globalSubrs.items.size() / 4);
            EXPECT_LT(localSubrCount(read), localSubrCount(whole) / 4);
            std::set<unsigned> fds;
            for (GlyphId g : glyphs) fds.insert(whole.fdOfGlyph[g]);
            EXPECT_LE(read.fontDicts.size(), fds.size());
            std::vector<GlyphId> newIds;
            for (GlyphId g : glyphs) newIds.push_back(subset.newGlyphIds.at(g));
            const std::vector<std::string> drawn = cffGlyphOutlines(subset.program, newIds);
            const std::vector<std::string> wholeDrawn = faceGlyphOutlines(face->file(), glyphs);
            for (std::size_t i = 0; i < glyphs.size(); ++i) {
                EXPECT_FALSE(drawn[i].empty());
                ASSERT_EQ(drawn[i], wholeDrawn[i])
                    << "face " << faceIndex << " glyph " << glyphs[i];
            }
        }
    }
}

}  // namespace
}  // namespace leafwright
