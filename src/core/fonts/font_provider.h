#pragma once

#include <string_view>

#include "core/fonts/font_face.h"

namespace leafwright {

class ShapingMemories;

// Where a document's faces come from. The faces live as long as the
// provider, so one provider serves every document of a run and its lookups
// are made once per run. A provider given to documents made at once on
// several threads must take their look-ups in turn.
class FontProvider {
  public:
    virtual ~FontProvider() = default;

    // The face standing in for a standard PDF font ("Times-Roman" is drawn
    // with Liberation Serif); nullptr when no usable face is installed.
    virtual const FontFace* faceFor(std::string_view baseFont) = 0;

    // Another face, in the style of the standard font as far as one exists,
    // that has a glyph for the character; nullptr when no face has one.
    virtual const FontFace* fallbackFor(std::string_view baseFont, char32_t character) = 0;

    // One face, in that style, that has every character of a run of one
    // script (characters common to all scripts, marks and characters that
    // draw nothing aside), so the run is drawn in one face; nullptr when the
    // provider knows none, and each character then takes its own fallback.
    virtual const FontFace* fallbackForRun(std::string_view /*baseFont*/,
                                           std::u32string_view /*run*/) {
        return nullptr;
    }

    // The face of colour glyphs (emoji) that draws what no outline face
    // has, and the emoji sequences no outline face forms; nullptr when none
    // is installed.
    virtual const FontFace* colourFace() { return nullptr; }

    // Where the shapers of its documents leave what they learnt for the
    // next (shaping_memory.h); nullptr when each shaper keeps its own.
    virtual ShapingMemories* shapingMemories() { return nullptr; }
};

}  // namespace leafwright
