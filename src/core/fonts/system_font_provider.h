#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fonts/font_provider.h"

namespace leafwright {

// The faces installed on the system, found through fontconfig: the
// Liberation family metric-compatible with each standard font, and for a
// character it lacks the first face in fontconfig's order of preference for
// that style that has the character and can be embedded.
//
// Nothing is loaded until a document asks for a face, so runs that need only
// the standard fonts never start fontconfig or HarfBuzz. The search order is
// built once per style and the answer for each character is kept, so a run
// asks fontconfig at most once per style however long its documents are.
class SystemFontProvider final : public FontProvider {
  public:
    SystemFontProvider();
    ~SystemFontProvider() override;
    SystemFontProvider(const SystemFontProvider&) = delete;
    SystemFontProvider& operator=(const SystemFontProvider&) = delete;

    const FontFace* faceFor(std::string_view baseFont) override;
    const FontFace* fallbackFor(std::string_view baseFont, char32_t character) override;

  private:
    struct Candidate;
    struct Style;

    Style& styleFor(std::string_view baseFont);
    const FontFace* open(Candidate& candidate);

    struct Fontconfig;
    std::unique_ptr<Fontconfig> fontconfig_;
    std::map<std::string, std::unique_ptr<Style>, std::less<>> styles_;
};

}  // namespace leafwright
