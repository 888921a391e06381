#include "core/fonts/cff_table.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "core/fonts/cff_parts.h"
#include "core/fonts/charstring_width.h"

namespace leafwright {

using namespace cff;

std::string cidKeyedCff(std::string_view cff, const std::vector<GlyphId>& glyphOfCid,
                        const std::vector<int>& widthOfCid) {
    if (glyphOfCid.size() > 0xFFFF) throw std::runtime_error("too many glyphs for a CFF font");
    const std::size_t cidCount = glyphOfCid.empty() ? 1 : glyphOfCid.size();
    const CffProgram program = readCffProgram(cff);
    const std::size_t glyphs = program.charStrings.items.size();

    // Widths are set only in the usual units, a thousandth of the em.
    bool usualUnits = !find(program.top, kFontMatrix);
    for (const std::vector<Entry>& dict : program.fontDicts)
        if (find(dict, kFontMatrix)) usualUnits = false;
    // Each private dict's nominal and default widths, which the charstrings'
    // widths are counted from; none where one is a real number, which the
    // dict reader does not keep (the charstrings are then left as they are).
    std::vector<std::optional<std::pair<long, long>>> widthsFrom;
    const auto integral = [](const Entry* entry) {
        return !entry || entry->operandBytes.empty() ||
               static_cast<unsigned char>(entry->operandBytes[0]) != 30;
    };
    for (const PrivatePart& part : program.privates) {
        const Entry* nominal = find(part.entries, kNominalWidthX);
        const Entry* standard = find(part.entries, kDefaultWidthX);
        if (!usualUnits || widthOfCid.empty() || !integral(nominal) || !integral(standard))
            widthsFrom.emplace_back();
        else
            widthsFrom.emplace_back(
                std::pair(nominal ? operand(nominal, 0, "nominalWidthX has no value") : 0,
                          standard ? operand(standard, 0, "defaultWidthX has no value") : 0));
    }

    // The charstrings by CID, each with its font dictionary.
    static const std::string kEmpty(1, static_cast<char>(14));  // endchar
    CidKeyedContent content;
    content.charStrings.assign(cidCount, kEmpty);
    content.fdOfCid.assign(cidCount, program.fdOfGlyph[0]);
    content.globalSubrIndex = program.globalSubrIndex;
    for (const PrivatePart& part : program.privates) content.localSubrIndexes.push_back(part.subrs);
    std::vector<std::string> widened(widthOfCid.size());
    for (std::size_t cid = 1; cid < cidCount; ++cid) {
        const GlyphId glyph = glyphOfCid[cid];
        if (glyph >= glyphs) malformed("a glyph beyond the font's");
        const unsigned fd = program.fdOfGlyph[glyph];
        content.fdOfCid[cid] = fd;
        if (glyph == 0) continue;
        content.charStrings[cid] = program.charStrings.items[glyph];
        const auto& widths = widthsFrom[fd];
        if (!widths || cid >= widthOfCid.size()) continue;
        const Index& local = program.localSubrs[fd];
        std::optional<std::string> charString = withCharStringWidth(
            content.charStrings[cid], widthOfCid[cid], widths->first, widths->second,
            [&](bool global, long number) -> std::optional<std::string_view> {
                const std::string_view* called =
                    subroutine(global ? program.globalSubrs : local, number);
                if (!called) return std::nullopt;
                return *called;
            });
        if (charString) {
            widened[cid] = std::move(*charString);
            content.charStrings[cid] = widened[cid];
        }
    }
    return writeCidKeyed(program, content);
}

}  // namespace leafwright
