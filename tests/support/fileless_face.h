#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/fonts/font_face.h"
#include "core/fonts/font_provider.h"

namespace leafwright::testing {

// A face with no font file, for tests that must not depend on the fonts
// installed: each character below glyphsBelow has a glyph numbered as the
// character, as wide as `advance` says (half an em when it says nothing).
// Lines in it are shaped from these look-ups alone.
class FilelessFace final : public FontFace {
  public:
    explicit FilelessFace(char32_t glyphsBelow = 0x800, std::function<int(GlyphId)> advance = {})
        : glyphsBelow_(glyphsBelow), advance_(std::move(advance)) {}

    const std::string& postScriptName() const override { return name_; }
    GlyphId glyphFor(char32_t c) const override { return c < glyphsBelow_ ? c : 0; }
    int advanceWidth(GlyphId glyph) const override { return advance_ ? advance_(glyph) : 500; }
    FontMetrics metrics() const override { return {}; }
    FontSubset subset(const std::vector<GlyphId>&) const override { return {}; }

  private:
    std::string name_ = "Fileless";
    char32_t glyphsBelow_;
    std::function<int(GlyphId)> advance_;
};

// The one face for every font, with no fallback.
class FilelessProvider final : public FontProvider {
  public:
    explicit FilelessProvider(FilelessFace face = FilelessFace()) : face_(std::move(face)) {}
    const FontFace* faceFor(std::string_view) override { return &face_; }
    const FontFace* fallbackFor(std::string_view, char32_t) override { return nullptr; }

  private:
    FilelessFace face_;
};

}  // namespace leafwright::testing
