#include "core/fonts/code_advances.h"

#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "core/fonts/composite_glyphs.h"
#include "core/fonts/embedded_font.h"

namespace leafwright {

void giveCodesTheirAdvances(const EmbeddedFont& font, const std::map<GlyphId, GlyphId>& newGlyphIds,
                            std::string& program, std::vector<GlyphId>& glyphOfCode) {
    const std::optional<TrueTypeGlyphs> glyphs = readTrueTypeGlyphs(program);
    if (!glyphs) return;
    const double unitsPerEm = glyphs->unitsPerEm;
    std::vector<GlyphId> changed = glyphOfCode;
    std::vector<CompositeGlyph> composites;
    std::map<std::pair<GlyphId, int>, GlyphId> made;
    auto fontUnits = [unitsPerEm](int thousandths) {
        return static_cast<int>(std::lround(thousandths * unitsPerEm / 1000.0));
    };
    for (std::size_t code = 1; code < changed.size(); ++code) {
        const GlyphId face = font.glyph(static_cast<std::uint16_t>(code));
        if (GlyphClusters::isCluster(face) && font.clusters()) {
            const int width = font.width(static_cast<std::uint16_t>(code));
            const auto key = std::make_pair(face, width);
            auto found = made.find(key);
            if (found == made.end()) {
                CompositeGlyph composite{{}, fontUnits(width)};
                for (const GlyphComponent& component : font.clusters()->components(face)) {
                    const auto mapped = newGlyphIds.find(component.glyph);
                    if (mapped == newGlyphIds.end() || mapped->second == 0) continue;
                    composite.components.push_back(
                        {mapped->second, fontUnits(component.dx), fontUnits(component.dy)});
                }
                if (composite.components.empty()) continue;
                const auto id = static_cast<GlyphId>(glyphs->glyphCount + composites.size());
                composites.push_back(std::move(composite));
                found = made.emplace(key, id).first;
            }
            changed[code] = found->second;
            continue;
        }
        const GlyphId glyph = changed[code];
        if (glyph == 0 || glyph >= glyphs->glyphCount) continue;
        const int width = font.width(static_cast<std::uint16_t>(code));
        // The widths are whole thousandths of the em: an advance that rounds
        // to the code's width already agrees with it.
        if (std::lround(glyphs->advances[glyph] * 1000.0 / unitsPerEm) == width) continue;
        const int advance = fontUnits(width);
        const auto key = std::make_pair(glyph, advance);
        auto found = made.find(key);
        if (found == made.end()) {
            const auto id = static_cast<GlyphId>(glyphs->glyphCount + composites.size());
            composites.push_back({{{glyph, 0, 0}}, advance});
            found = made.emplace(key, id).first;
        }
        changed[code] = found->second;
    }
    if (composites.empty()) return;
    std::optional<std::string> rewritten = withCompositeGlyphs(program, composites);
    if (!rewritten) return;
    program = std::move(*rewritten);
    glyphOfCode = std::move(changed);
}

}  // namespace leafwright
