#pragma once

#include <memory>
#include <string>

#include "core/fonts/font_face.h"

namespace leafwright {

// Opens face `index` of a TrueType or OpenType font file (a collection may
// hold several) for embedding; the file is read whole (readFontFile), so
// later changes to it do not reach the face. Returns nullptr when the file
// cannot be opened or the face is not one a PDF 1.3 document can carry as a
// subset: neither glyf nor CFF outlines (CFF2 variable and bitmap-only
// faces), colour glyphs (emoji faces), or a licence that forbids embedding
// or subsetting. Throws std::runtime_error
// naming the file when it is no regular file or changed while it was read.
std::unique_ptr<FontFace> openTrueTypeFace(const std::string& path, unsigned index = 0);

}  // namespace leafwright
