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

// The font files read for the faces of one provider, by path: the faces of
// a collection (Noto CJK holds ten in 19 MB) share one reading of it.
// Not safe for use by two threads at once; the faces it gave may outlive it.
class FaceFiles {
  public:
    FaceFiles();
    FaceFiles(const FaceFiles&) = delete;
    FaceFiles& operator=(const FaceFiles&) = delete;
    ~FaceFiles();

    // As openTrueTypeFace, reading the file only the first time a face of
    // it is asked for (a file that could not be opened is not tried again).
    std::unique_ptr<FontFace> open(const std::string& path, unsigned index);

  private:
    struct Files;
    std::unique_ptr<Files> files_;
};

}  // namespace leafwright
