#include "core/fonts/fixed_font_provider.h"

#include "core/fonts/truetype_face.h"
#include "core/platform/file_error.h"

namespace leafwright {

FixedFontProvider::FixedFontProvider(const std::vector<std::string>& fontFiles) {
    for (const std::string& file : fontFiles) {
        std::unique_ptr<FontFace> face = openTrueTypeFace(file);
        if (!face) throw FileError(file, "not a TrueType font that can be embedded");
        faces_.push_back(std::move(face));
    }
}

const FontFace* FixedFontProvider::faceFor(std::string_view) {
    return faces_.empty() ? nullptr : faces_.front().get();
}

const FontFace* FixedFontProvider::fallbackFor(std::string_view, char32_t character) {
    for (std::size_t i = 1; i < faces_.size(); ++i)
        if (faces_[i]->glyphFor(character) != 0) return faces_[i].get();
    return nullptr;
}

}  // namespace leafwright
