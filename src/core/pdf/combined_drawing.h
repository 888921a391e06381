#pragma once

#include <memory>
#include <optional>

#include "core/fonts/document_fonts.h"
#include "core/fonts/line_shaper.h"
#include "core/pdf/shown_lines.h"
#include "core/settings/conversion_settings.h"
#include "core/text/source_text.h"

namespace leafwright {

class FontProvider;

// How the lines of the sources of one combined document are drawn. The
// sources share one set of embedded fonts, so each face is one subset for
// the whole document; and since Unspool knows a font by its resource name
// in the whole file, "/F1" must mean one font throughout: when any source
// needs embedded fonts, every source is drawn with them. Otherwise each
// source is drawn as it would be alone (plain strings, or tab stops).
class CombinedDrawing {
  public:
    // provider: where embedded faces come from; nullptr looks for the
    // installed faces. embedded: whether the sources are drawn with embedded
    // fonts. Throws FontUnavailable when no face can stand in for the font.
    CombinedDrawing(const ConversionSettings& settings, FontProvider* provider, bool embedded);
    ~CombinedDrawing();
    CombinedDrawing(const CombinedDrawing&) = delete;
    CombinedDrawing& operator=(const CombinedDrawing&) = delete;

    // The drawing of the next source, from its first pass; nullptr for
    // plain strings. The lines drawn for the source before are let go: each
    // source's widest line and unprintable characters are its own.
    ShownLines* choose(const SourceSummary& summary);

    bool embedded() const noexcept { return fonts_.has_value(); }
    // The embedded fonts, or nullptr for the standard font.
    const DocumentFonts* fonts() const { return fonts_ ? &*fonts_ : nullptr; }

  private:
    const ConversionSettings& settings_;
    std::unique_ptr<FontProvider> ownProvider_;
    std::optional<DocumentFonts> fonts_;
    std::optional<LineShaper> shaper_;
    std::optional<ShownLines> lines_;
};

}  // namespace leafwright
