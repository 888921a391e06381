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

std::shared_ptr<const GlyphWalk> GlyphWalks::walk(GlyphId glyph, WalkScratch& scratch) {
    {
        std::lock_guard lock(mutex_);
        const auto found = kept_.find(glyph);
        if (found != kept_.end()) return found->second;
    }
    std::shared_ptr<const GlyphWalk> walked = walkAlone(glyph, scratch);
    const std::size_t room = roomOf(*walked);
    std::lock_guard lock(mutex_);
    if (bytes_ + room <= mostBytes_ && kept_.emplace(glyph, walked).second) bytes_ += room;
    return walked;
}

std::size_t GlyphWalks::keptBytes() const {
    std::lock_guard lock(mutex_);
    return bytes_;
}

std::shared_ptr<const GlyphWalk> GlyphWalks::walkAlone(GlyphId glyph, WalkScratch& scratch) const {
    auto walk = std::make_shared<GlyphWalk>();
    const unsigned fd = program_.fdOfGlyph.at(glyph);
    if (scratch.global.empty()) scratch.global.resize(program_.globalSubrs.items.size());
    if (scratch.local.empty()) scratch.local.resize(program_.fontDicts.size());
    std::vector<RoutineCalls>& local = scratch.local[fd];
    if (local.empty()) local.resize(program_.localSubrs[fd].items.size());

    std::size_t budget = kWalkBudget;
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
    walk->cost = kWalkBudget - budget;
    if (!walk->followed) {
        walk->reached = {};
        walk->readings = {};
        walk->glyph = RoutineCalls{};
    }
    return walk;
}

}  // namespace leafwright::cff
