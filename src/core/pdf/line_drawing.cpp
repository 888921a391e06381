#include "core/pdf/line_drawing.h"

#include <utility>

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/system_font_provider.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/page_furniture.h"
#include "core/pdf/wrapped_pages.h"

namespace leafwright {

FaceChoice faceChoiceOf(const ConversionSettings& settings) {
    return {settings.chosen.more.fontFamily, settings.chosen.more.fontFile};
}

bool drawsChosenFace(const ConversionSettings& settings) {
    return !settings.chosen.more.fontFamily.empty() || !settings.chosen.more.fontFile.empty();
}

bool drawsWithEmbeddedFonts(const ConversionSettings& settings, const SourceSummary& summary,
                            const std::string& sourcePath) {
    return summary.beyondMacRoman || drawsChosenFace(settings) ||
           furnitureNeedsEmbeddedFonts(settings, sourcePath);
}

ShownLines& emplaceEmbeddedLines(std::optional<ShownLines>& lines, DocumentFonts& fonts,
                                 LineShaper& shaper, const ConversionSettings& settings) {
    // Liberation Mono, like Courier, sets text in columns; a chosen face
    // does when it is monospaced itself.
    const bool columns = drawsChosenFace(settings)
                             ? fonts.fonts().front().face().metrics().fixedPitch
                             : settings.baseFont.starts_with("Courier");
    return lines.emplace(fonts, &shaper, settings.fontSizeText, columns);
}

ShownLines* standardLines(std::optional<ShownLines>& lines, const SourceSummary& summary,
                          const ConversionSettings& settings) {
    if (!summary.hasTab) return nullptr;
    return &lines.emplace(rowFontWidths(settings));
}

LineDrawing::LineDrawing(const ConversionSettings& settings, FontProvider* provider,
                         std::string sourcePath)
    : settings_(settings), provider_(provider), sourcePath_(std::move(sourcePath)) {}

LineDrawing::~LineDrawing() = default;

ShownLines* LineDrawing::choose(const SourceSummary& summary) {
    if (!drawsWithEmbeddedFonts(settings_, summary, sourcePath_))
        return standardLines(lines_, summary, settings_);
    if (!provider_) {
        ownProvider_ = std::make_unique<SystemFontProvider>(faceChoiceOf(settings_));
        provider_ = ownProvider_.get();
    }
    fonts_.emplace(*provider_, settings_.baseFont);
    shaper_.emplace(*provider_, settings_.baseFont,
                    static_cast<int>(tabStopDistance(fonts_->spaceWidth())));
    return &emplaceEmbeddedLines(lines_, *fonts_, *shaper_, settings_);
}

}  // namespace leafwright
