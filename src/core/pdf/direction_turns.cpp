#include "core/pdf/direction_turns.h"

#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/fonts/strong_direction.h"

namespace leafwright {
namespace {

// MuPDF starts a new line at a code standing this far (thousandths of the
// font size) or more from the pen, once it reads left to right.
constexpr int kLineStep = 800;

bool isBlank(char32_t character) {
    return character == U' ' || character == U'\t';
}

}  // namespace

std::optional<int> turnCodePlace(const ShapedLine& line, std::size_t g) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    if (line.direction != TextDirection::rightToLeft || g >= glyphs.size()) return std::nullopt;
    const ShapedGlyph& glyph = glyphs[g];
    // Only a glyph that is a cluster of its own.
    if (glyph.glyph == 0 || glyph.text.empty() ||
        (g + 1 < glyphs.size() && glyphs[g + 1].text.empty()))
        return std::nullopt;
    const char32_t first = glyph.text.front(), last = glyph.text.back();
    if (isBlank(first) || isBlank(last)) return std::nullopt;

    // Before a run: the next cluster starts with a left-to-right letter
    // drawn to the left.
    if (g + 1 < glyphs.size()) {
        const ShapedGlyph& next = glyphs[g + 1];
        if (next.x < glyph.x && isStrongLeftToRight(next.text.front())) {
            if (glyph.x - next.x < kLineStep) return glyph.x;
            if (!isStrongRightToLeft(last)) return next.x;
            return std::nullopt;
        }
    }
    // After a run: the cluster before ends with a left-to-right letter drawn
    // to the right, and this one is neither left-to-right nor right-to-left.
    if (g > 0 && !isStrongLeftToRight(first) && !isStrongRightToLeft(first)) {
        std::size_t before = g - 1;
        while (before > 0 && glyphs[before].text.empty()) --before;
        const ShapedGlyph& previous = glyphs[before];
        if (!previous.text.empty() && previous.x > glyph.x &&
            isStrongLeftToRight(previous.text.back())) {
            // The run's end: the pen after its last glyph.
            const int end = previous.x + previous.advance;
            if (end - glyph.x >= kLineStep) return end;
        }
    }
    return std::nullopt;
}

}  // namespace leafwright
