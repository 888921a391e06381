#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

class ShapingFont;

// Glyph ids of a font program (0 is the missing-glyph glyph).
using GlyphId = std::uint32_t;

// What a PDF font descriptor says about a face, in thousandths of the em.
struct FontMetrics {
    int ascent = 0;
    int descent = 0;  // negative below the baseline
    int capHeight = 0;
    double italicAngle = 0;  // degrees, negative when leaning right
    int stemV = 0;
    int bboxLeft = 0;
    int bboxBottom = 0;
    int bboxRight = 0;
    int bboxTop = 0;
    bool fixedPitch = false;
    bool serif = false;
    bool italic = false;
};

// How a face draws its glyphs: TrueType outlines (a glyf table), embedded
// as a TrueType program; CFF outlines, embedded as the bare CFF program; or
// colour bitmaps (emoji), drawn as pictures by a Type 3 font.
enum class FontOutlines { trueType, cff, colourBitmaps };

// A colour as 8-bit red, green and blue.
struct Rgb {
    std::uint8_t red = 0xFF;
    std::uint8_t green = 0xFF;
    std::uint8_t blue = 0xFF;
};

// The picture of a colour glyph laid on the page's colour: 8-bit red, green
// and blue per pixel, rows from the top, and the box it fills in thousandths
// of the em from the glyph's origin.
struct GlyphPicture {
    std::size_t width = 0;
    std::size_t height = 0;
    std::string rgb;  // width * height * 3 bytes
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
};

// A font program cut down to some glyphs.
struct FontSubset {
    std::string program;                     // the TrueType file's bytes, or the CFF program's
    std::map<GlyphId, GlyphId> newGlyphIds;  // old glyph id -> its id in the program
};

// One face the documents can embed. The PDF side sees only this, so
// tests can stand in a face of their own.
class FontFace {
  public:
    virtual ~FontFace() = default;

    // The face's PostScript name as it may stand in a PDF name (no
    // delimiters, no white space); never empty.
    virtual const std::string& postScriptName() const = 0;

    // The face's own glyph for the character; 0 when it has none.
    virtual GlyphId glyphFor(char32_t character) const = 0;

    // The advance of a glyph in thousandths of the em, rounded.
    virtual int advanceWidth(GlyphId glyph) const = 0;

    virtual FontMetrics metrics() const = 0;

    virtual FontOutlines outlines() const { return FontOutlines::trueType; }

    // The font program holding glyph 0 (drawn empty) and the given glyphs:
    // a TrueType file, or for CFF outlines the bare CFF program.
    // Throws std::runtime_error when the program cannot be cut down.
    virtual FontSubset subset(const std::vector<GlyphId>& glyphs) const = 0;

    // The bytes of the font file the face was read from, valid as long as
    // the face, and the face's index in it (a collection holds several); for
    // shaping with the font's own substitution and positioning tables. A
    // face without a file is shaped from glyphFor and advanceWidth alone.
    struct File {
        std::string_view bytes;
        unsigned index = 0;
    };
    virtual File file() const { return {}; }

    // The HarfBuzz font the face is shaped with, made once and kept as long
    // as the face, or nullptr when each shaper makes its own from file().
    // Safe to use from several threads at once.
    virtual const ShapingFont* shapingFont() const { return nullptr; }

    // For a face of colour bitmaps: a glyph's picture laid on the
    // background, at most maxHeight pixels high; an empty picture for a
    // glyph without one. Throws std::runtime_error naming the font file when
    // the picture is damaged.
    virtual GlyphPicture picture(GlyphId /*glyph*/, std::size_t /*maxHeight*/,
                                 Rgb /*background*/ = {}) const {
        return {};
    }
};

}  // namespace leafwright
