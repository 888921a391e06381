#pragma once

#include <cstddef>
#include <vector>

namespace leafwright {

struct ShapedLine;

// An invisible direction mark (U+200F, right to left) that a line draws
// for text extractors alone: written before the codes of glyph `before`
// (the line's glyph count: after the last), standing at x (thousandths of
// the font size, from the line's start) with no width. It is not text of
// the source: the writer keeps it out of what Unspool reads.
struct DirectionMark {
    std::size_t before;
    int x;
    char32_t character;  // U+200F, or U+200E at the end of a run of Latin text
};

// The marks a line needs around the left-to-right pieces of its
// right-to-left text (the whole of a right-to-left paragraph, the
// right-to-left runs of a left-to-right one):
// runs of Latin letters and numbers drawn left to right ("%s", "EULA",
// "0x%x"), and single number signs among right-to-left text (",", ":",
// "%"), in the order they are written.
//
// Poppler builds a line's text from its characters ordered by where they
// stand, then reads it from the right: a stretch of characters that are
// neither Latin letters nor numbers is turned around, and from the next
// Latin letter or number on, everything up to the next right-to-left
// letter is kept as it stands. So a space, a bracket or a quote that
// follows a piece in reading order, drawn to its left, comes out before it
// ("עוד ,נדרש" for "עוד, נדרש", " %s" for "%s "). A mark before such a
// piece, drawn at its left edge, is the right-to-left letter that ends the
// stretch there. A run that ends in a neutral character of its own (the
// bracket of "s (EULA)") gets a left-to-right mark after it, at its right
// edge, for the stretch kept as it stands begins at a Latin letter or
// number.
//
// MuPDF reads the codes in their order; after a Latin letter it starts a
// new line at a code standing 0.8 em or more from where the code before
// left the pen, which cuts a word whose Latin run stands far from the
// letter or sign before or after it ("ב־PAM", "(EULA)"). A right-to-left
// mark turns its reading back, so the piece gets one before it wherever
// the glyph before is no blank, and one after it when the glyph after is
// neither a blank nor a right-to-left letter. The one before stands at the
// piece's left edge, where poppler needs it; the one after where the glyph
// after starts, so that poppler takes that glyph for a word of its own.
std::vector<DirectionMark> directionMarks(const ShapedLine& line);

// Whether each glyph of the line is read right to left: every glyph of a
// right-to-left paragraph, those of the right-to-left runs of a
// left-to-right one (the bidirectional algorithm's odd levels). Empty when
// none is (a left-to-right line without a right-to-left letter). Poppler
// turns such a run's characters around whatever the paragraph, so a
// letter's marks must be drawn as in a right-to-left paragraph to come out
// after it.
struct GlyphsReadRightToLeft {
    bool all = false;        // a right-to-left line: no list is made
    std::vector<bool> some;  // else each glyph's, or empty for none
    bool operator[](std::size_t g) const { return all || (!some.empty() && some[g]); }
};
GlyphsReadRightToLeft glyphsReadRightToLeft(const ShapedLine& line);

}  // namespace leafwright
