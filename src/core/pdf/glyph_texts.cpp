#include "core/pdf/glyph_texts.h"

#include <algorithm>

#include "core/fonts/line_shaper.h"
#include "core/pdf/shown_glyphs.h"

namespace leafwright {

std::vector<GlyphText> spreadClusterTexts(const ShapedLine& line) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    std::vector<GlyphText> result(glyphs.size());
    const bool spread = line.direction == TextDirection::rightToLeft;
    auto ownWidth = [](const ShapedGlyph& glyph) {
        return glyph.glyph == 0 ? 0 : glyph.face->advanceWidth(glyph.glyph);
    };
    for (std::size_t g = 0; g < glyphs.size();) {
        std::size_t end = g + 1;
        while (end < glyphs.size() && glyphs[end].text.empty()) ++end;
        const ShapedGlyph& first = glyphs[g];
        const std::u32string_view text = first.text;
        for (std::size_t k = g; k < end; ++k) result[k] = {{}, ownWidth(glyphs[k])};
        if (end == g + 1 || first.glyph == 0) {
            result[g].text = text;
            g = end;
            continue;
        }
        // The first glyph's box covers the whole cluster, from its pen on
        // by the sum of the cluster's advances.
        int extent = 0;
        for (std::size_t k = g; k < end; ++k) extent += glyphs[k].advance;
        result[g] = {text, extent};
        if (spread) {
            const std::size_t carriers = std::min(end - g, text.size());
            for (std::size_t i = 0; i < carriers; ++i)
                result[g + i] = {i + 1 < carriers ? text.substr(i, 1) : text.substr(i),
                                 i == 0 ? extent : 0};
        }
        g = end;
    }
    return result;
}

namespace {

// The end of the cluster that starts at glyph g, when its glyphs (more than
// one) may be drawn as one: all of one face and none glyph 0.
std::size_t composableEnd(const std::vector<ShapedGlyph>& glyphs, std::size_t g) {
    std::size_t end = g + 1;
    while (end < glyphs.size() && glyphs[end].text.empty()) ++end;
    if (end == g + 1) return g;
    for (std::size_t k = g; k < end; ++k)
        if (glyphs[k].glyph == 0 || glyphs[k].face != glyphs[g].face) return g;
    return end;
}

}  // namespace

std::vector<DrawnCode> drawnCodes(DocumentFonts& fonts, const ShapedLine& line,
                                  std::size_t currentFont, ShownGlyphs* known) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    const std::vector<GlyphText> texts = spreadClusterTexts(line);
    std::vector<DrawnCode> codes;
    codes.reserve(glyphs.size());
    std::vector<GlyphComponent> components;
    // The first glyph of the cluster at hand, and how many of its further
    // glyphs carry text.
    std::size_t base = 0, further = 0;
    for (std::size_t g = 0; g < glyphs.size();) {
        const ShapedGlyph& glyph = glyphs[g];
        const std::size_t end =
            line.direction == TextDirection::leftToRight ? composableEnd(glyphs, g) : g;
        if (end > g) {
            components.clear();
            int extent = 0;
            for (std::size_t k = g; k < end; ++k) {
                components.push_back({glyphs[k].glyph, glyphs[k].x - glyph.x, glyphs[k].yOffset});
                extent += glyphs[k].advance;
            }
            if (const std::optional<ShownCharacter> shown =
                    fonts.showCluster(*glyph.face, components, glyph.text, extent)) {
                codes.push_back({*shown, glyph.x, 0});
                currentFont = shown->font;
                g = end;
                continue;
            }
        }
        if (line.direction == TextDirection::rightToLeft && !glyph.text.empty()) {
            base = g;
            further = 0;
        } else if (line.direction == TextDirection::rightToLeft && glyph.glyph != 0 &&
                   !texts[g].text.empty() && glyphs[base].face == glyph.face) {
            // A further piece of a right-to-left cluster (a vowel sign, a
            // point) stands just before its letter's start, its outline
            // moved back to where it is drawn: poppler orders the pieces of
            // a line by where they start and then turns a right-to-left run
            // around, which gives the mark after its letter only so.
            const int x = glyphs[base].x - static_cast<int>(++further);
            components.assign(1, {glyph.glyph, glyph.x - x, glyph.yOffset});
            if (const std::optional<ShownCharacter> shown =
                    fonts.showCluster(*glyph.face, components, texts[g].text, 0)) {
                codes.push_back({*shown, x, 0});
                currentFont = shown->font;
                ++g;
                continue;
            }
        }
        const ShownCharacter shown =
            known ? known->showGlyph(fonts, *glyph.face, glyph.glyph, texts[g].text, texts[g].width,
                                     currentFont)
                  : fonts.showGlyph(*glyph.face, glyph.glyph, texts[g].text, texts[g].width,
                                    currentFont);
        codes.push_back({shown, glyph.x, glyph.yOffset});
        currentFont = shown.font;
        ++g;
    }
    return codes;
}

}  // namespace leafwright
