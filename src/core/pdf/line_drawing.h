#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/fonts/document_fonts.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/system_font_provider.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/shown_lines.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class FontProvider;

// The family or font file the settings put in place of the standard font.
FaceChoice faceChoiceOf(const ConversionSettings& settings);
// Whether they name one: its face is then embedded in every document.
bool drawsChosenFace(const ConversionSettings& settings);

// Whether a document is drawn with embedded fonts: its text (as its first
// pass summed it up) or its headers and footers hold a character beyond
// Mac OS Roman, or the user chose a family or font file.
bool drawsWithEmbeddedFonts(const ConversionSettings& settings, const SourceSummary& summary,
                            const std::string& sourcePath);

// Makes `lines` the drawing with embedded fonts: in columns for Courier's
// stand-in, or for a chosen face that is monospaced itself.
ShownLines& emplaceEmbeddedLines(std::optional<ShownLines>& lines, DocumentFonts& fonts,
                                 LineShaper& shaper, const ConversionSettings& settings);
// The drawing in the standard font: nullptr for plain strings, else `lines`
// made the standard font with tab stops (a source holding a tab).
ShownLines* standardLines(std::optional<ShownLines>& lines, const SourceSummary& summary,
                          const ConversionSettings& settings);

// How one document's lines are drawn, decided once its first pass has seen
// every character: plain strings of the standard font when every character
// has a MacRomanEncoding code and no tab occurs (the document is written as
// it always was), the standard font with tab stops when only tabs are new,
// and the embedded fonts for any other character, lines needing shaping
// shaped. A family or font file the user chose is always embedded.
class LineDrawing {
  public:
    // provider: where embedded faces come from; nullptr looks for the
    // installed faces, only once a document needs them. sourcePath names
    // the source for its headers and footers.
    LineDrawing(const ConversionSettings& settings, FontProvider* provider,
                std::string sourcePath = {});
    ~LineDrawing();
    LineDrawing(const LineDrawing&) = delete;
    LineDrawing& operator=(const LineDrawing&) = delete;

    // Throws FontUnavailable when no face can stand in for the chosen font.
    ShownLines* choose(const SourceSummary& summary);
    // choose, for the layouts; valid while this object lives.
    LineDrawingChoice chooser() {
        return [this](const SourceSummary& summary) { return choose(summary); };
    }

    // The embedded fonts, or nullptr for the standard font.
    const DocumentFonts* fonts() const { return fonts_ ? &*fonts_ : nullptr; }

  private:
    const ConversionSettings& settings_;
    FontProvider* provider_;
    std::string sourcePath_;
    std::unique_ptr<FontProvider> ownProvider_;
    std::optional<DocumentFonts> fonts_;
    std::optional<LineShaper> shaper_;
    std::optional<ShownLines> lines_;
};

}  // namespace leafwright
