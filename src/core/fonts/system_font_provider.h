#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fonts/font_provider.h"

namespace leafwright {

// The face the user put in place of the standard font: an installed family
// (fontconfig's name) or a font file; both empty for the standard font.
struct FaceChoice {
    std::string family;
    std::string file;
};

// The faces installed on the system, found through fontconfig. The main face
// is the Liberation family metric-compatible with each standard font, or the
// face the user chose in the standard font's weight and slant. A character
// the main face lacks comes from the program's own order of families for its
// script (fallback_order.h), in the look and style of the standard font, and
// failing that from the first face in fontconfig's order of preference for
// that style that has the character; only faces that can be embedded count.
// What no such face has comes from the colour face (emoji), if installed.
//
// Nothing is loaded until a document asks for a face, so runs that need only
// the standard fonts never start fontconfig or HarfBuzz. The search order is
// built once per style and the answer for each character is kept, so a run
// asks fontconfig at most once per style and family however long its
// documents are. One provider may serve documents converted at once on
// several threads: its look-ups take turns, and its faces may be used at
// once.
class SystemFontProvider final : public FontProvider {
  public:
    explicit SystemFontProvider(FaceChoice choice = {});
    ~SystemFontProvider() override;
    SystemFontProvider(const SystemFontProvider&) = delete;
    SystemFontProvider& operator=(const SystemFontProvider&) = delete;

    // Throws FontUnavailable (document_fonts.h) naming the chosen family or
    // file when it gives no face that can be embedded.
    const FontFace* faceFor(std::string_view baseFont) override;
    const FontFace* fallbackFor(std::string_view baseFont, char32_t character) override;
    const FontFace* fallbackForRun(std::string_view baseFont, std::u32string_view run) override;
    // The installed face of colour bitmaps, Noto Color Emoji first.
    const FontFace* colourFace() override;
    ShapingMemories* shapingMemories() override { return shapingMemories_.get(); }

    // Why the chosen family or file cannot draw documents, naming it; empty
    // when it can (or nothing was chosen).
    static std::string problemWith(const FaceChoice& choice);

  private:
    struct Candidate;
    struct Style;
    // colourFace, with the look-ups' mutex held.
    const FontFace* colourFaceLocked();

    Style& styleFor(std::string_view baseFont);
    const FontFace* open(Candidate& candidate);
    // The installed face of a family closest to a weight and slant; nullptr
    // when the family has no face that can be embedded.
    Candidate* installed(const std::string& family, int weight, int slant);
    const std::vector<Candidate*>& orderFor(Style& style, const std::string& scriptTag);
    const FontFace* chosenFace(const Style& style);

    struct Fontconfig;
    std::mutex mutex_;  // held by each public look-up
    FaceChoice choice_;
    std::unique_ptr<Fontconfig> fontconfig_;
    std::map<std::string, std::unique_ptr<Style>, std::less<>> styles_;
    std::unique_ptr<ShapingMemories> shapingMemories_;
};

}  // namespace leafwright
