#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_face.h"
#include "core/fonts/font_provider.h"

namespace leafwright {

// One glyph of a shaped line. Lengths are in thousandths of the font size.
struct ShapedGlyph {
    const FontFace* face;
    GlyphId glyph;
    int x;        // where the glyph is drawn, from the line's left end
    int yOffset;  // how far it is raised above the baseline
    int advance;  // how far the glyph moves the pen in its run's direction
    // The characters of the glyph's cluster on its first glyph (a ligature
    // carries all the characters it draws), empty on the others, so that
    // the clusters' texts in order give the line back.
    std::u32string text;
};

enum class TextDirection { leftToRight, rightToLeft };

struct ShapedLine {
    TextDirection direction = TextDirection::leftToRight;  // of the paragraph
    // In logical order, the order the text was typed in, each glyph at its
    // visual place.
    std::vector<ShapedGlyph> glyphs;
    int advance = 0;  // the width of the whole line
    // Characters no face has; they are drawn, and come back, as "?".
    std::size_t unprintable = 0;
};

// Whether a shaper keeps the shapes of words (on) or shapes every run whole.
enum class WordCache { on, off };
// Whether a line in one direction is ordered without the full bidirectional
// algorithm (taken), or every line goes through it (refused): both order
// every line alike.
enum class DirectionShortcut { taken, refused };

// Shapes lines of text with the faces a provider gives for a standard font,
// as one paragraph each: the line is cut into runs of one direction level
// (Unicode's bidirectional algorithm, the paragraph right to left when its
// first strong character is, or when most of its letters are), one script
// and one face, and each run is shaped with its font's own substitutions
// and positions (Arabic letters join, ligatures form, marks sit on their
// letters, Indic vowel signs move before their consonant). A character the
// main face lacks comes from the provider's fallback face for it; a mark
// stays in the face of its letter.
//
// Tab, the C0 controls, DEL and default-ignorable characters draw nothing
// (glyph 0 with no advance) but keep their text; a tab moves on to the next
// tab stop (tab_stops.h), stops standing `tabStop` thousandths apart from
// the line's start edge, the right end of a right-to-left line.
//
// Words that stand between spaces are shaped once and kept (word_shapes.h)
// in faces where that gives the same glyphs as shaping their run whole.
class LineShaper {
  public:
    // Throws FontUnavailable (document_fonts.h) when the provider has no
    // face for the standard font.
    LineShaper(FontProvider& provider, std::string baseFont, int tabStop,
               WordCache cache = WordCache::on,
               DirectionShortcut shortcut = DirectionShortcut::taken);
    ~LineShaper();
    LineShaper(const LineShaper&) = delete;
    LineShaper& operator=(const LineShaper&) = delete;

    // A line of 2^31 characters or more, beyond what the bidirectional
    // algorithm counts, comes back without glyphs. paragraph: the
    // paragraph's direction when it is known from elsewhere (the rows of a
    // wrapped line keep their line's); else right to left when its first
    // strong character is or most of its letters are, left to right when not.
    ShapedLine shape(std::u32string_view line,
                     std::optional<TextDirection> paragraph = std::nullopt);
    // The same, keeping the result: the next shape() of the same text in
    // the same direction hands it over without shaping again (a row is
    // measured, then drawn), and a line that begins the kept one is mostly
    // taken from it (a row cut from a longer stretch measured). Valid until
    // the next call.
    const ShapedLine& shapeAndKeep(std::u32string_view line,
                                   std::optional<TextDirection> paragraph);

  private:
    std::optional<ShapedLine> shapeBeginning(std::u32string_view line,
                                             std::optional<TextDirection> paragraph);

    struct Engine;
    std::unique_ptr<Engine> engine_;
    bool hasKept_ = false;
    std::u32string keptLine_;
    std::optional<TextDirection> keptParagraph_;
    ShapedLine kept_;
};

}  // namespace leafwright
