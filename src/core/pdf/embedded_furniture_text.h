#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

class DocumentFonts;
class LineShaper;

// The text of headers, footers and line numbers in a document drawn with
// embedded fonts: set in the body's fonts (any character a face has, text
// that needs it shaped as the body's lines are), at the furniture's size.
// A text is laid out first, so that its width places it (centred, or ending
// at the right margin), then drawn at a point of the page inside the
// furniture's own text object. Laying out text makes the fonts learn its
// characters: every text a page will show must be laid out before the
// fonts are written.
class EmbeddedFurnitureText {
  public:
    // size: the furniture's font size in points. shaper: nullptr draws one
    // glyph per character.
    EmbeddedFurnitureText(DocumentFonts& fonts, LineShaper* shaper, double size);

    struct Glyph {
        std::size_t font;
        std::uint16_t code;
        int x;      // from the text's left end, thousandths of the size
        int rise;   // above the baseline, thousandths of the size
        int width;  // of the code, as the font's widths give it
    };
    struct Laid {
        std::vector<Glyph> glyphs;
        int advance = 0;  // thousandths of the size
    };
    // UTF-8 text (malformed bytes as "?"); a character no face has is
    // drawn as "?".
    Laid lay(std::string_view text);
    // The same for a number's ASCII digits, which never need shaping: each
    // digit is looked up once, and the result holds until the next call.
    const Laid& layDigits(std::string_view digits);
    // The width in points.
    double width(const Laid& laid) const noexcept { return laid.advance * size_ / 1000; }

    // Where the furniture's text object starts: no font chosen yet in it.
    void beginBlock() noexcept { currentFont_ = kNoFont; }
    // Draws the text with its left end at (x, y): strings of codes that
    // follow on one another, each placed by its own text matrix.
    void draw(std::string& out, const Laid& laid, double x, double y);

  private:
    static constexpr std::size_t kNoFont = ~std::size_t{0};
    DocumentFonts& fonts_;
    LineShaper* shaper_;
    double size_;
    std::string sizeText_;
    std::size_t currentFont_ = kNoFont;
    std::vector<Laid> digits_;  // "0" to "9", once looked up
    Laid number_;
};

}  // namespace leafwright
