#include "core/fonts/cff_glyph_walks.h"

#include <stdexcept>
#include <utility>

namespace leafwright::cff {
namespace {

// The room a walk takes: the walk, its vectors, and its place in the map.
std::size_t roomOf(const GlyphWalk& walk) {
    constexpr std::size_t kMapEntry = 64;
    std::size_t room = sizeof(GlyphWalk) + kMapEntry +
                       walk.glyph.calls.capacity() * sizeof(SubroutineCall) +
                       walk.reached.capacity() * sizeof(SubroutineCall) +
                       walk.readings.capacity() * sizeof(RoutineCalls);
    for (const RoutineCalls& reading : walk.readings)
        room += reading.calls.capacity() * sizeof(SubroutineCall);
    return room;
}

}  // namespace

void GlyphWalks::walksOf(const std::vector<GlyphId>& glyphs, std::vector<const GlyphWalk*>& walks,
                         std::vector<std::unique_ptr<GlyphWalk>>& unkept) {
    walks.assign(glyphs.size(), nullptr);
    std::vector<std::size_t> missing;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t n = 1; n < glyphs.size(); ++n) {
            if (glyphs[n] == 0) continue;
            const auto found = kept_.find(glyphs[n]);
            if (found != kept_.end())
                walks[n] = found->second.get();
            else
                missing.push_back(n);
        }
    }
    if (missing.empty()) return;
    // The glyphs walked now share one subset's budget, so that a program
    // built to make walks long costs no more than the walk in turn; after a
    // glyph that cannot be followed (or not within what is left), the
    // others are not walked: the walk in turn decides.
    WalkScratch scratch;
    std::vector<std::unique_ptr<GlyphWalk>> walked;
    walked.reserve(missing.size());
    std::size_t spent = 0;
    for (std::size_t n : missing) {
        walked.push_back(walkAlone(glyphs[n], scratch, kWalkBudget - spent));
        spent += walked.back()->cost;
        if (!walked.back()->followed) break;
    }
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const GlyphId glyph = glyphs[missing[i]];
        // Kept meanwhile by another job, or twice in the subset.
        if (const auto found = kept_.find(glyph); found != kept_.end()) {
            walks[missing[i]] = found->second.get();
            continue;
        }
        walks[missing[i]] = walked[i].get();
        const std::size_t room = roomOf(*walked[i]);
        if (walked[i]->followed && bytes_ + room <= mostBytes_) {
            kept_.emplace(glyph, std::move(walked[i]));
            bytes_ += room;
        } else {
            unkept.push_back(std::move(walked[i]));
        }
    }
}

std::size_t GlyphWalks::keptBytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::unique_ptr<GlyphWalk> GlyphWalks::walkAlone(GlyphId glyph, WalkScratch& scratch,
                                                 std::size_t budget) const {
    auto walk = std::make_unique<GlyphWalk>();
    const unsigned fd = program_.fdOfGlyph.at(glyph);
    if (scratch.global.empty()) scratch.global.resize(program_.globalSubrs.items.size());
    if (scratch.local.empty()) scratch.local.resize(program_.fontDicts.size());
    std::vector<RoutineCalls>& local = scratch.local[fd];
    if (local.empty()) local.resize(program_.localSubrs[fd].items.size());

    const std::size_t given = budget;
    CharStringWalk walker(program_.globalSubrs, program_.localSubrs[fd], scratch.global, local,
                          budget);
    walker.noteFirstWalks(&walk->reached);
    try {
        walker.walkGlyph(program_.charStrings.items[glyph], walk->glyph);
        walk->followed = true;
    } catch (const std::runtime_error&) {
        // Left to the walk of the subset's glyphs in turn, which decides.
    }
    // The entries go back as they were, whatever the walk left in them.
    walk->readings.reserve(walk->reached.size());
    for (const SubroutineCall& routine : walk->reached) {
        RoutineCalls& entry = routine.global ? scratch.global[routine.item] : local[routine.item];
        walk->readings.push_back(std::exchange(entry, RoutineCalls{}));
    }
    walk->cost = given - budget;
    if (!walk->followed) {
        walk->reached = {};
        walk->readings = {};
        walk->glyph = RoutineCalls{};
    }
    return walk;
}

}  // namespace leafwright::cff
