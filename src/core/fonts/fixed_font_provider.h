#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/fonts/font_provider.h"

namespace leafwright {

// Faces from named files, whatever standard font a document chose: the
// first file is the main face, the others are searched in order for
// characters it lacks. For tests and for runs that must not depend on the
// fonts installed.
class FixedFontProvider final : public FontProvider {
  public:
    // Throws FileError when a file cannot be read or holds no face that can
    // be embedded.
    explicit FixedFontProvider(const std::vector<std::string>& fontFiles);

    const FontFace* faceFor(std::string_view baseFont) override;
    const FontFace* fallbackFor(std::string_view baseFont, char32_t character) override;

  private:
    std::vector<std::unique_ptr<FontFace>> faces_;
};

}  // namespace leafwright
