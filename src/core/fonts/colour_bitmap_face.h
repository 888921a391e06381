#pragma once

#include <memory>
#include <string>

#include "core/fonts/font_face.h"

namespace leafwright {

// Opens face `index` of a font file whose glyphs are colour PNG bitmaps
// (CBDT/CBLC or sbix, as emoji faces have them), read whole like any font
// file. Such a face cannot be embedded as a font program; its glyphs are
// drawn as pictures (FontFace::picture), and it is shaped with its own
// substitutions (emoji sequences, flags, skin tones). Returns nullptr when
// the file cannot be opened or its glyphs are no PNG bitmaps. Throws
// std::runtime_error naming the file when it is no regular file or changed
// while it was read.
std::unique_ptr<FontFace> openColourBitmapFace(const std::string& path, unsigned index = 0);

}  // namespace leafwright
