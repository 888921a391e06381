#include "core/pdf/glyph_texts.h"

#include <algorithm>
#include <string>

#include "core/fonts/line_shaper.h"
#include "core/pdf/direction_turns.h"
#include "core/pdf/shown_glyphs.h"

namespace leafwright {

namespace {

// spreadClusterTexts, the glyphs that keep their own widths given
// ShownGlyphs::kOwnAdvance instead when ownWidths is false: the drawing
// asks for a width only where a glyph's code is new.
std::vector<GlyphText> clusterTexts(const ShapedLine& line,
                                    const GlyphsReadRightToLeft& rightToLeft, bool ownWidths) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    std::vector<GlyphText> result(glyphs.size());
    auto ownWidth = [ownWidths](const ShapedGlyph& glyph) {
        if (glyph.glyph == 0) return 0;
        return ownWidths ? glyph.face->advanceWidth(glyph.glyph) : ShownGlyphs::kOwnAdvance;
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
        if (rightToLeft[g]) {
            const std::size_t carriers = std::min(end - g, text.size());
            for (std::size_t i = 0; i < carriers; ++i)
                result[g + i] = {i + 1 < carriers ? text.substr(i, 1) : text.substr(i),
                                 i == 0 ? extent : 0};
        }
        g = end;
    }
    return result;
}

}  // namespace

std::vector<GlyphText> spreadClusterTexts(const ShapedLine& line) {
    return clusterTexts(line, glyphsReadRightToLeft(line), true);
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

// The end of the run of glyphs from g on that draw nothing, each a cluster
// of one and the same character, standing in one place.
std::size_t repeatedInvisibleEnd(const std::vector<ShapedGlyph>& glyphs, std::size_t g) {
    auto drawsNothing = [&](const ShapedGlyph& glyph) {
        return glyph.glyph == 0 && glyph.advance == 0 && glyph.text.size() == 1 &&
               glyph.x == glyphs[g].x && glyph.text == glyphs[g].text;
    };
    if (!drawsNothing(glyphs[g])) return g;
    std::size_t end = g + 1;
    while (end < glyphs.size() && drawsNothing(glyphs[end])) ++end;
    return end;
}

}  // namespace

std::vector<DrawnCode> drawnCodes(DocumentFonts& fonts, const ShapedLine& line,
                                  std::size_t currentFont, ShownGlyphs* known) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    const GlyphsReadRightToLeft readRightToLeft = glyphsReadRightToLeft(line);
    const std::vector<GlyphText> texts = clusterTexts(line, readRightToLeft, false);
    std::vector<DrawnCode> codes;
    codes.reserve(glyphs.size());
    std::vector<GlyphComponent> components;
    // The first glyph of the cluster at hand, and how many of its further
    // glyphs carry text.
    std::size_t base = 0, further = 0;
    std::u32string repeated;
    const std::vector<DirectionMark> marks = directionMarks(line);
    std::size_t nextMark = 0;
    // The marks due before glyph g (and, at the end, those after the last).
    auto drawMarks = [&](std::size_t g) {
        for (; nextMark < marks.size() && marks[nextMark].before <= g; ++nextMark) {
            const std::u32string_view text(&marks[nextMark].character, 1);
            const ShownCharacter shown = fonts.showGlyph(
                *glyphs[std::min(g, glyphs.size() - 1)].face, 0, text, 0, currentFont);
            codes.push_back({shown, marks[nextMark].x, 0, true});
            currentFont = shown.font;
        }
    };
    // A character that draws nothing in a right-to-left line (a zero width
    // non-joiner between the parts of a Persian word) stands just before
    // the pen, not on the start of the letter before it: poppler orders
    // characters by where they start, and one in a tie may go on either
    // side of the letter and leave the line.
    auto invisiblePlace = [&](const ShapedGlyph& glyph) {
        const bool inPen =
            line.direction == TextDirection::rightToLeft && glyph.glyph == 0 && glyph.advance == 0;
        return inPen ? glyph.x - 1 : glyph.x;
    };
    for (std::size_t g = 0; g < glyphs.size();) {
        drawMarks(g);
        const ShapedGlyph& glyph = glyphs[g];
        if (const std::size_t same = repeatedInvisibleEnd(glyphs, g); same > g + 1) {
            // One code carries them all: MuPDF drops a character drawn where
            // the same one was just drawn (as text made bold by drawing it
            // twice is), and a run of zero width spaces would lose all but
            // its first.
            repeated.assign(same - g, glyph.text.front());
            const ShownCharacter shown = fonts.showGlyph(*glyph.face, 0, repeated, 0, currentFont);
            codes.push_back({shown, invisiblePlace(glyph), glyph.yOffset});
            currentFont = shown.font;
            g = same;
            continue;
        }
        const bool rightToLeft = readRightToLeft[g];
        const std::size_t end = rightToLeft ? g : composableEnd(glyphs, g);
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
        // A glyph read right to left that draws several characters (a
        // ligature, a letter with its point made one form) carries the
        // first; each further one is carried by a code that draws nothing,
        // standing just before its letter's start as a further piece does.
        // Poppler turns the characters of one code around with the rest of
        // a right-to-left run, which gives "ֿפ" for "פֿ" and "ىل" for "لى".
        const std::u32string_view text = texts[g].text;
        const bool split = rightToLeft && glyph.glyph != 0 && text.size() > 1;
        const std::u32string_view head = split ? text.substr(0, 1) : text;
        // The glyph as a code standing at x, its outline moved back to where
        // it is drawn.
        auto showMovedTo = [&](int x) {
            components.assign(1, {glyph.glyph, glyph.x - x, glyph.yOffset});
            const std::optional<ShownCharacter> shown =
                fonts.showCluster(*glyph.face, components, head, 0);
            if (!shown) return false;
            codes.push_back({*shown, x, 0});
            currentFont = shown->font;
            return true;
        };
        bool drawn = false;
        // A mark of a run of its own (a kasra after a bracket of another
        // face) has no advance and is drawn on the glyph before: it is
        // placed as a further piece of that glyph's cluster.
        const bool markOfItsOwn = rightToLeft && !glyph.text.empty() && glyph.glyph != 0 &&
                                  glyph.advance == 0 && g > 0 && glyphs[base].x == glyph.x;
        if (markOfItsOwn) {
            drawn = showMovedTo(glyphs[base].x - static_cast<int>(++further));
        } else if (rightToLeft && !glyph.text.empty()) {
            base = g;
            further = 0;
        } else if (rightToLeft && glyph.glyph != 0 && !text.empty() &&
                   glyphs[base].face == glyph.face) {
            // A further piece of a right-to-left cluster (a vowel sign, a
            // point) stands just before its letter's start, its outline
            // moved back to where it is drawn: poppler orders the pieces of
            // a line by where they start and then turns a right-to-left run
            // around, which gives the mark after its letter only so.
            drawn = showMovedTo(glyphs[base].x - static_cast<int>(++further));
        }
        if (!drawn) {
            const int width = texts[g].width;
            const ShownCharacter shown =
                known ? known->showGlyph(fonts, *glyph.face, glyph.glyph, head, width, currentFont)
                      : fonts.showGlyph(*glyph.face, glyph.glyph, head,
                                        ShownGlyphs::widthOf(*glyph.face, glyph.glyph, width),
                                        currentFont);
            codes.push_back({shown, invisiblePlace(glyph), glyph.yOffset});
            currentFont = shown.font;
        }
        for (std::size_t i = head.size(); i < text.size(); ++i) {
            const ShownCharacter carrier =
                fonts.showGlyph(*glyph.face, 0, text.substr(i, 1), 0, currentFont);
            codes.push_back({carrier, glyphs[base].x - static_cast<int>(++further), 0});
            currentFont = carrier.font;
        }
        ++g;
    }
    drawMarks(glyphs.size());
    return codes;
}

}  // namespace leafwright
