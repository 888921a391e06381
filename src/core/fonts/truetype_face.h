#pragma once

#include <memory>
#include <string>

#include "core/fonts/font_face.h"

namespace leafwright {

// Opens face `index` of a TrueType font file (a collection may hold several)
// for embedding. Returns nullptr when the file cannot be read or the face
// is not one a PDF 1.3 document can carry as a subset: no glyf outlines
// (CFF and bitmap-only faces), colour glyphs (emoji faces), or a licence
// that forbids embedding or subsetting.
std::unique_ptr<FontFace> openTrueTypeFace(const std::string& path, unsigned index = 0);

}  // namespace leafwright
