#include "core/fonts/cff_subset.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/cff_charstring_walk.h"
#include "core/fonts/cff_glyph_walks.h"
#include "core/fonts/cff_parts.h"

namespace leafwright {

using namespace cff;

namespace {

// What was read in each subroutine a subset's glyphs reach, by item of each
// INDEX (nullptr for one not reached), and in each glyph's own charstring,
// by its place in the subset.
struct Reached {
    std::vector<const RoutineCalls*> global;
    std::vector<std::vector<const RoutineCalls*>> local;  // by font dictionary, sized when reached
    std::vector<const RoutineCalls*> glyphs;

    Reached(const CffProgram& program, std::size_t glyphCount)
        : global(program.globalSubrs.items.size()),
          local(program.fontDicts.size()),
          glyphs(glyphCount) {}

    std::vector<const RoutineCalls*>& localOf(const CffProgram& program, unsigned fd) {
        if (local[fd].empty()) local[fd].resize(program.localSubrs[fd].items.size());
        return local[fd];
    }
};

// The glyphs followed one after another through entries of their own, as a
// Type 2 interpreter meets them: the one walk that decides whether a subset
// can be cut, and how.
struct WalkedInTurn {
    std::vector<RoutineCalls> global;
    std::vector<std::vector<RoutineCalls>> local;
    std::vector<RoutineCalls> glyphs;

    WalkedInTurn(const CffProgram& program, const std::vector<GlyphId>& subset, Reached& reached)
        : global(program.globalSubrs.items.size()),
          local(program.fontDicts.size()),
          glyphs(subset.size()) {
        std::size_t budget = kWalkBudget;
        for (std::size_t n = 1; n < subset.size(); ++n) {
            if (subset[n] == 0) continue;
            const unsigned fd = program.fdOfGlyph[subset[n]];
            if (local[fd].empty()) local[fd].resize(program.localSubrs[fd].items.size());
            CharStringWalk(program.globalSubrs, program.localSubrs[fd], global, local[fd], budget)
                .walkGlyph(program.charStrings.items[subset[n]], glyphs[n]);
            reached.glyphs[n] = &glyphs[n];
        }
        auto point = [](const std::vector<RoutineCalls>& calls,
                        std::vector<const RoutineCalls*>& to) {
            to.assign(calls.size(), nullptr);
            for (std::size_t item = 0; item < calls.size(); ++item)
                if (calls[item].walked) to[item] = &calls[item];
        };
        point(global, reached.global);
        for (std::size_t fd = 0; fd < local.size(); ++fd) point(local[fd], reached.local[fd]);
    }
};

// The same from each glyph's walk by itself, kept from subset to subset:
// true when every glyph could be followed by itself, each subroutine reads
// alike in all the glyphs that reach it, and the walks together stay within
// the budget of one subset. The walk in turn then reads the same (it only
// skips walking again the subroutines that do the same wherever they are
// called, and so reads no more), and finds no fault; otherwise it decides.
bool fromGlyphWalks(const CffProgram& program, const std::vector<GlyphId>& subset,
                    GlyphWalks& walks, std::vector<std::unique_ptr<GlyphWalk>>& unkept,
                    Reached& reached) {
    std::vector<const GlyphWalk*> walkOf;
    walks.walksOf(subset, walkOf, unkept);
    std::size_t cost = 0;
    for (std::size_t n = 1; n < subset.size(); ++n) {
        if (subset[n] == 0) continue;
        if (!walkOf[n]) return false;
        const GlyphWalk& walk = *walkOf[n];
        cost += walk.cost;
        if (!walk.followed || cost > kWalkBudget) return false;
        std::vector<const RoutineCalls*>& local =
            reached.localOf(program, program.fdOfGlyph[subset[n]]);
        for (std::size_t i = 0; i < walk.reached.size(); ++i) {
            const SubroutineCall& routine = walk.reached[i];
            const RoutineCalls& reading = walk.readings[i];
            const RoutineCalls*& known =
                routine.global ? reached.global[routine.item] : local[routine.item];
            // Only stems set before a call can make a subroutine read
            // otherwise (the length of its hint masks): one read with no
            // hints on its way reads alike wherever it is called.
            if (!known)
                known = &reading;
            else if (known->hints && (known->end != reading.end || known->calls != reading.calls))
                return false;
        }
        reached.glyphs[n] = &walk.glyph;
    }
    return true;
}

// The subroutines of one INDEX that the glyphs called, numbered anew in
// their order, and their bytes with their own calls renumbered.
struct KeptSubroutines {
    std::vector<std::int32_t> newItem;  // by old item, -1 when not kept
    std::vector<std::uint32_t> kept;    // old items, in order
    long bias = 0;

    explicit KeptSubroutines(const std::vector<const RoutineCalls*>& calls)
        : newItem(calls.size(), -1) {
        for (std::size_t item = 0; item < calls.size(); ++item)
            if (calls[item]) {
                newItem[item] = static_cast<std::int32_t>(kept.size());
                kept.push_back(static_cast<std::uint32_t>(item));
            }
        bias = subroutineBias(kept.size());
    }
    long number(std::uint32_t oldItem) const { return newItem[oldItem] - bias; }
};

}  // namespace

CffSubsetter::CffSubsetter(std::string_view cff, std::size_t keptWalkBytes)
    : program_(std::make_unique<const CffProgram>(readCffProgram(cff))),
      walks_(keptWalkBytes > 0 ? std::make_unique<GlyphWalks>(*program_, keptWalkBytes) : nullptr) {
}

CffSubsetter::~CffSubsetter() = default;

std::size_t CffSubsetter::keptWalkBytes() const {
    return walks_ ? walks_->keptBytes() : 0;
}

std::string CffSubsetter::subset(const std::vector<GlyphId>& glyphs) const {
    const CffProgram& program = *program_;
    if (glyphs.empty() || glyphs.size() > 0xFFFF)
        throw std::runtime_error("a CFF font of no glyphs or too many");
    for (GlyphId glyph : glyphs)
        if (glyph >= program.charStrings.items.size()) malformed("a glyph beyond the font's");

    // Follow every glyph, noting the subroutines it calls.
    Reached reached(program, glyphs.size());
    std::vector<std::unique_ptr<GlyphWalk>> unkept;
    std::optional<WalkedInTurn> inTurn;  // holds what `reached` points to
    if (!walks_ || !fromGlyphWalks(program, glyphs, *walks_, unkept, reached)) {
        reached = Reached(program, glyphs.size());
        inTurn.emplace(program, glyphs, reached);
    }

    const KeptSubroutines keptGlobal(reached.global);
    std::vector<KeptSubroutines> keptLocal;
    for (const std::vector<const RoutineCalls*>& calls : reached.local)
        keptLocal.emplace_back(calls);
    auto newNumber = [&](std::size_t fd) {
        return [&, fd](const SubroutineCall& call) {
            return call.global ? keptGlobal.number(call.item) : keptLocal[fd].number(call.item);
        };
    };

    // A glyph whose first operands stand in a subroutine it calls first
    // (its width among them, often) takes that subroutine's bytes in place
    // of the call, so that its width can be set in its own bytes when the
    // program is made CID-keyed; the drawing is the same.
    auto withFirstCallInlined = [&](std::string charString, const RoutineCalls& glyph,
                                    std::size_t fd) {
        const RoutineCalls* calls = &glyph;
        for (int level = 0; level < kMostSubroutineNesting && !calls->calls.empty(); ++level) {
            const SubroutineCall& first = calls->calls.front();
            if (first.numberAt != 0) break;
            const std::size_t numberLength = charStringNumberLength(newNumber(fd)(first));
            if (charString.size() <= numberLength ||
                static_cast<unsigned char>(charString[numberLength]) != (first.global ? 29 : 10))
                break;
            const RoutineCalls& called =
                first.global ? *reached.global[first.item] : *reached.local[fd][first.item];
            const std::string_view bytes = first.global ? program.globalSubrs.items[first.item]
                                                        : program.localSubrs[fd].items[first.item];
            // Only a subroutine that ends in its return, the glyph going on after it.
            if (called.endsGlyph || called.end != bytes.size() || bytes.empty() ||
                static_cast<unsigned char>(bytes.back()) != 11)
                break;
            std::string inlined = renumbered(bytes, called, newNumber(fd));
            inlined.pop_back();
            charString = inlined + charString.substr(numberLength + 1);
            calls = &called;
        }
        return charString;
    };

    // Written again: the glyphs (glyph 0 empty, in the font dictionary of
    // the first glyph so as not to keep one for it alone), then each INDEX
    // of subroutines. A local subroutine is called only from glyphs of its
    // own font dictionary, a global one from any.
    static const std::string kEmpty(1, static_cast<char>(14));  // endchar
    std::vector<std::string> charStrings(glyphs.size());
    CidKeyedContent content;
    content.charStrings.resize(glyphs.size());
    content.fdOfCid.resize(glyphs.size());
    content.charStrings[0] = kEmpty;
    content.fdOfCid[0] = program.fdOfGlyph[glyphs.size() > 1 ? glyphs[1] : 0];
    // Global subroutines may call local ones, of the font dictionary of the
    // glyph that called them; a subset whose glyphs stand in several font
    // dictionaries has then no one numbering for them.
    int onlyFd = -1;
    for (std::size_t n = 1; n < glyphs.size(); ++n) {
        const unsigned fd = program.fdOfGlyph[glyphs[n]];
        content.fdOfCid[n] = fd;
        if (glyphs[n] == 0) {
            content.charStrings[n] = kEmpty;
            continue;
        }
        onlyFd = onlyFd == -1 || onlyFd == static_cast<int>(fd) ? static_cast<int>(fd) : -2;
        charStrings[n] = withFirstCallInlined(
            renumbered(program.charStrings.items[glyphs[n]], *reached.glyphs[n], newNumber(fd)),
            *reached.glyphs[n], fd);
        content.charStrings[n] = charStrings[n];
    }

    // The subroutines kept, each renumbered; one that calls none as it is.
    std::vector<std::string> renumberedBytes;
    renumberedBytes.reserve(keptGlobal.kept.size());
    std::vector<std::string_view> globalBytes;
    for (std::uint32_t item : keptGlobal.kept) {
        const RoutineCalls& calls = *reached.global[item];
        bool callsLocal = false;
        for (const SubroutineCall& call : calls.calls) callsLocal |= !call.global;
        if (callsLocal && onlyFd < 0)
            throw std::runtime_error("a CFF global subroutine calls local ones of several fonts");
        const std::string_view bytes = program.globalSubrs.items[item];
        if (calls.calls.empty()) {
            globalBytes.push_back(bytes);
            continue;
        }
        renumberedBytes.push_back(
            renumbered(bytes, calls, newNumber(callsLocal ? static_cast<std::size_t>(onlyFd) : 0)));
        globalBytes.push_back(renumberedBytes.back());
    }
    const std::string globalIndex = writeIndex(globalBytes);
    content.globalSubrIndex = globalIndex;

    std::vector<std::string> localIndexes(program.fontDicts.size());
    for (std::size_t fd = 0; fd < program.fontDicts.size(); ++fd) {
        renumberedBytes.clear();
        renumberedBytes.reserve(keptLocal[fd].kept.size());
        std::vector<std::string_view> localBytes;
        for (std::uint32_t item : keptLocal[fd].kept) {
            const RoutineCalls& calls = *reached.local[fd][item];
            const std::string_view bytes = program.localSubrs[fd].items[item];
            if (calls.calls.empty()) {
                localBytes.push_back(bytes);
                continue;
            }
            renumberedBytes.push_back(renumbered(bytes, calls, newNumber(fd)));
            localBytes.push_back(renumberedBytes.back());
        }
        if (!localBytes.empty()) localIndexes[fd] = writeIndex(localBytes);
    }
    content.localSubrIndexes.assign(localIndexes.begin(), localIndexes.end());
    return writeCidKeyed(program, content);
}

}  // namespace leafwright
