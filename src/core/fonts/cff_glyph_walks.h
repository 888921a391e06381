#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "core/fonts/cff_charstring_walk.h"
#include "core/fonts/cff_parts.h"
#include "core/fonts/font_face.h"

namespace leafwright::cff {

// What following one glyph by itself found: the calls of its charstring,
// and each subroutine it reached (numberAt and numberLength 0) with what was
// read in it, in the order they were first met.
struct GlyphWalk {
    bool followed = false;  // false when the glyph cannot be followed by itself
    RoutineCalls glyph;
    std::vector<SubroutineCall> reached;
    std::vector<RoutineCalls> readings;  // one for each of reached
    std::size_t cost = 0;                // operands and operators read
};

// The INDEXes' entries a glyph is walked with, made once for a subset's
// glyphs and cleared after each, so that no glyph pays for the whole INDEXes.
struct WalkScratch {
    std::vector<RoutineCalls> global;
    std::vector<std::vector<RoutineCalls>> local;  // by font dictionary, sized when used
};

// The walks of a program's glyphs, each made once and kept for every subset
// cut from the program, up to a bound on the room they take: past it, a
// glyph not kept is walked again for each subset. A kept walk stays as long
// as the walks. Safe to use from several threads at once.
class GlyphWalks {
  public:
    // The program must outlive the walks.
    GlyphWalks(const CffProgram& program, std::size_t mostBytes)
        : program_(program), mostBytes_(mostBytes) {}
    GlyphWalks(const GlyphWalks&) = delete;
    GlyphWalks& operator=(const GlyphWalks&) = delete;

    // The walk of each glyph of a subset by its place, glyphs[0] and glyph 0
    // aside (nullptr), looked up at once so that jobs cutting subsets of the
    // same face at once seldom wait for each other. After a glyph that could
    // not be followed, the glyphs not yet walked have none (nullptr). A walk
    // that is not kept (only those followed are) goes into `unkept`, which
    // must outlive its use. Every glyph must be one of the program's.
    void walksOf(const std::vector<GlyphId>& glyphs, std::vector<const GlyphWalk*>& walks,
                 std::vector<std::unique_ptr<GlyphWalk>>& unkept);

    // The room the kept walks take, as counted against the bound.
    std::size_t keptBytes() const;

  private:
    std::unique_ptr<GlyphWalk> walkAlone(GlyphId glyph, WalkScratch& scratch,
                                         std::size_t budget) const;

    const CffProgram& program_;
    const std::size_t mostBytes_;
    mutable std::mutex mutex_;
    std::size_t bytes_ = 0;
    std::unordered_map<GlyphId, std::unique_ptr<const GlyphWalk>> kept_;
};

}  // namespace leafwright::cff
