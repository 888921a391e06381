#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/font_provider.h"
#include "core/fonts/truetype_face.h"
#include "core/platform/file_error.h"

namespace leafwright::testing {

// Where the test faces are installed.
inline const std::string kTestFontFolder = "/usr/share/fonts/truetype/";

// Liberation Serif draws Latin and Hebrew, DejaVu Sans Arabic, Lohit
// Devanagari; all three carry substitution and positioning tables.
inline const std::vector<std::string> kShapingTestFaces = {
    kTestFontFolder + "liberation2/LiberationSerif-Regular.ttf",
    kTestFontFolder + "dejavu/DejaVuSans.ttf",
    kTestFontFolder + "lohit-devanagari/Lohit-Devanagari.ttf",
};

// Faces from named files, whatever standard font a document chose: the
// first file is the main face, the others are searched in order for
// characters it lacks, so that a test does not depend on the fonts
// installed.
class FixedFontProvider final : public FontProvider {
  public:
    // Throws FileError when a file cannot be read or holds no face that can
    // be embedded.
    explicit FixedFontProvider(const std::vector<std::string>& fontFiles) {
        for (const std::string& file : fontFiles) {
            std::unique_ptr<FontFace> face = openTrueTypeFace(file);
            if (!face) throw FileError(file, "not a font that can be embedded");
            faces_.push_back(std::move(face));
        }
    }

    const FontFace* faceFor(std::string_view) override {
        return faces_.empty() ? nullptr : faces_.front().get();
    }
    const FontFace* fallbackFor(std::string_view, char32_t character) override {
        for (std::size_t i = 1; i < faces_.size(); ++i)
            if (faces_[i]->glyphFor(character) != 0) return faces_[i].get();
        return nullptr;
    }

  private:
    std::vector<std::unique_ptr<FontFace>> faces_;
};

}  // namespace leafwright::testing
