#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/fonts/neutral_character.h"
#include "core/pdf/ascii_advances.h"
#include "core/pdf/wrapped_lines.h"

namespace leafwright {

class EmbeddedFontStrings;

// Measures rows as the embedded fonts draw them (ShownLines): a row that
// holds a character needing shaping, and every continued row of a line
// read right to left, is shaped whole (a continued row in its line's
// paragraph direction) and takes its shaped advances; any other row takes
// each character's advance in the face that draws it ("?" for one no face
// has), or its columns in a monospaced font, with tab stops from the row's
// start. Widths are in thousandths of the font size.
class EmbeddedRowMeasure : public RowMeasure {
  public:
    // shaper: nullptr when no line is shaped. Both must outlive the measure.
    EmbeddedRowMeasure(EmbeddedFontStrings& strings, LineShaper* shaper, std::int64_t areaWidth);
    std::size_t fittingEnd(std::string_view text, bool& pastEdge) override;
    bool fits(std::string_view row, std::size_t hangingFrom) override;
    void startRow(bool continued) override;
    void restart() override;

  private:
    std::size_t shapedFittingEnd(std::string_view text, std::size_t estimate, bool& pastEdge);
    // The advance of a character of a row whose last visible character so
    // far is in runFont, which moves on as the drawing's does.
    std::int64_t advanceOf(char32_t character, std::size_t& runFont);
    std::int64_t lookUpAdvance(char32_t character, std::size_t& runFont);
    std::size_t guess(std::int64_t width) const;
    bool shapes(char32_t character);
    // Decodes the first atMost characters of text into characters_, their
    // byte offsets and the end of the last one into offsets_.
    void decode(std::string_view text, std::size_t atMost);

    EmbeddedFontStrings& strings_;
    LineShaper* shaper_;
    std::int64_t areaWidth_;
    std::int64_t tabStop_;
    std::optional<TextDirection> direction() const;

    bool continued_ = false;
    // The end of the start of the text last measured without shaping that
    // fits (0 when it was shaped).
    std::size_t plainFit_ = 0;
    // The mean advance of a shaped character in the last row measured, to
    // guess how much of the next one to shape.
    static constexpr std::int64_t kFirstShapedAdvance = 400;
    std::int64_t shapedAdvance_ = kFirstShapedAdvance;
    // The paragraph direction of the line being cut, from its first row.
    std::optional<TextDirection> paragraph_;
    std::u32string characters_;
    std::vector<std::size_t> offsets_;
    // Per character of the Basic Multilingual Plane once met where its face
    // does not depend on the run (any but a neutral one after a character of
    // another font than the first): its advance (kUnknown before) and the
    // run's font after it; and whether it needs shaping (0 unknown, 1 no,
    // 2 yes).
    static constexpr std::int32_t kUnknown = -1;
    static constexpr std::uint16_t kKeepsRun = 0xFFFF;  // draws nothing
    struct Advance {
        std::int32_t advance = kUnknown;
        std::uint16_t runFont = kKeepsRun;
    };
    std::vector<Advance> advances_;
    // The printable ASCII characters of advances_ that keep a run at its
    // start (drawn in the first font), which a row measures many at a time:
    // their advances, kUnknown for the others.
    AsciiAdvances asciiAdvances_;
    std::vector<std::uint8_t> shapes_;
};

// Called for every character of every row measured: a character met before
// costs one table look-up, inline.
inline std::int64_t EmbeddedRowMeasure::advanceOf(char32_t character, std::size_t& runFont) {
    if (character < advances_.size() && !takesRunFace(character, runFont)) {
        const Advance& known = advances_[character];
        if (known.advance != kUnknown) {
            if (known.runFont != kKeepsRun) runFont = known.runFont;
            return known.advance;
        }
    }
    return lookUpAdvance(character, runFont);
}

}  // namespace leafwright
