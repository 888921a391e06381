#include "core/fonts/cff_subset.h"

#include <stdexcept>

#include "core/fonts/cff_charstring_walk.h"
#include "core/fonts/cff_parts.h"

namespace leafwright {

using namespace cff;

namespace {

// Operands and operators read for a subset: a glyph of a real face takes a
// few hundred, subroutines included; a program built to make the walk
// explode is given up on long before it costs much.
constexpr std::size_t kWalkBudget = std::size_t{16} << 20;

// The subroutines of one INDEX that the glyphs called, numbered anew in
// their order, and their bytes with their own calls renumbered.
struct KeptSubroutines {
    std::vector<std::int32_t> newItem;  // by old item, -1 when not kept
    std::vector<std::uint32_t> kept;    // old items, in order
    long bias = 0;

    explicit KeptSubroutines(const std::vector<RoutineCalls>& calls) : newItem(calls.size(), -1) {
        for (std::size_t item = 0; item < calls.size(); ++item)
            if (calls[item].walked) {
                newItem[item] = static_cast<std::int32_t>(kept.size());
                kept.push_back(static_cast<std::uint32_t>(item));
            }
        bias = subroutineBias(kept.size());
    }
    long number(std::uint32_t oldItem) const { return newItem[oldItem] - bias; }
};

}  // namespace

CffSubsetter::CffSubsetter(std::string_view cff)
    : program_(std::make_unique<const CffProgram>(readCffProgram(cff))) {}

CffSubsetter::~CffSubsetter() = default;

std::string CffSubsetter::subset(const std::vector<GlyphId>& glyphs) const {
    const CffProgram& program = *program_;
    if (glyphs.empty() || glyphs.size() > 0xFFFF)
        throw std::runtime_error("a CFF font of no glyphs or too many");
    for (GlyphId glyph : glyphs)
        if (glyph >= program.charStrings.items.size()) malformed("a glyph beyond the font's");

    // Follow every glyph, noting the subroutines it calls.
    std::size_t budget = kWalkBudget;
    std::vector<RoutineCalls> globalCalls(program.globalSubrs.items.size());
    std::vector<std::vector<RoutineCalls>> localCalls(program.fontDicts.size());
    std::vector<RoutineCalls> glyphCalls(glyphs.size());
    for (std::size_t n = 1; n < glyphs.size(); ++n) {
        if (glyphs[n] == 0) continue;
        const unsigned fd = program.fdOfGlyph[glyphs[n]];
        if (localCalls[fd].empty()) localCalls[fd].resize(program.localSubrs[fd].items.size());
        CharStringWalk(program.globalSubrs, program.localSubrs[fd], globalCalls, localCalls[fd],
                       budget)
            .walkGlyph(program.charStrings.items[glyphs[n]], glyphCalls[n]);
    }

    const KeptSubroutines keptGlobal(globalCalls);
    std::vector<KeptSubroutines> keptLocal;
    for (const std::vector<RoutineCalls>& calls : localCalls) keptLocal.emplace_back(calls);
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
            const std::size_t numberLength = charStringNumber(newNumber(fd)(first)).size();
            if (charString.size() <= numberLength ||
                static_cast<unsigned char>(charString[numberLength]) != (first.global ? 29 : 10))
                break;
            const RoutineCalls& called =
                first.global ? globalCalls[first.item] : localCalls[fd][first.item];
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
    for (std::size_t n = 1; n < glyphs.size(); ++n) {
        const unsigned fd = program.fdOfGlyph[glyphs[n]];
        content.fdOfCid[n] = fd;
        if (glyphs[n] == 0) {
            content.charStrings[n] = kEmpty;
            continue;
        }
        charStrings[n] = withFirstCallInlined(
            renumbered(program.charStrings.items[glyphs[n]], glyphCalls[n], newNumber(fd)),
            glyphCalls[n], fd);
        content.charStrings[n] = charStrings[n];
    }

    // Global subroutines may call local ones, of the font dictionary of the
    // glyph that called them; a subset whose glyphs stand in several font
    // dictionaries has then no one numbering for them.
    int onlyFd = -1;
    for (std::size_t n = 1; n < glyphs.size(); ++n) {
        const int fd = program.fdOfGlyph[glyphs[n]];
        if (glyphs[n] != 0) onlyFd = onlyFd == -1 || onlyFd == fd ? fd : -2;
    }
    std::vector<std::string> globalBytes;
    for (std::uint32_t item : keptGlobal.kept) {
        bool callsLocal = false;
        for (const SubroutineCall& call : globalCalls[item].calls) callsLocal |= !call.global;
        if (callsLocal && onlyFd < 0)
            throw std::runtime_error("a CFF global subroutine calls local ones of several fonts");
        globalBytes.push_back(
            renumbered(program.globalSubrs.items[item], globalCalls[item],
                       newNumber(callsLocal ? static_cast<std::size_t>(onlyFd) : 0)));
    }
    const std::string globalIndex = writeIndex(globalBytes);
    content.globalSubrIndex = globalIndex;

    std::vector<std::string> localIndexes(program.fontDicts.size());
    for (std::size_t fd = 0; fd < program.fontDicts.size(); ++fd) {
        std::vector<std::string> localBytes;
        for (std::uint32_t item : keptLocal[fd].kept)
            localBytes.push_back(renumbered(program.localSubrs[fd].items[item],
                                            localCalls[fd][item], newNumber(fd)));
        if (!localBytes.empty()) localIndexes[fd] = writeIndex(localBytes);
    }
    content.localSubrIndexes.assign(localIndexes.begin(), localIndexes.end());
    return writeCidKeyed(program, content);
}

}  // namespace leafwright
