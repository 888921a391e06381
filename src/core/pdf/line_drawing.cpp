#include "core/pdf/line_drawing.h"

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/system_font_provider.h"
#include "core/fonts/tab_stops.h"

namespace leafwright {

FaceChoice faceChoiceOf(const ConversionSettings& settings) {
    return {settings.chosen.more.fontFamily, settings.chosen.more.fontFile};
}

bool drawsChosenFace(const ConversionSettings& settings) {
    return !settings.chosen.more.fontFamily.empty() || !settings.chosen.more.fontFile.empty();
}

LineDrawing::LineDrawing(const ConversionSettings& settings, FontProvider* provider)
    : settings_(settings), provider_(provider) {}

LineDrawing::~LineDrawing() = default;

ShownLines* LineDrawing::choose(const SourceSummary& summary) {
    // A chosen family or file is always embedded, whatever the text holds.
    if (summary.beyondMacRoman || drawsChosenFace(settings_)) {
        if (!provider_) {
            ownProvider_ = std::make_unique<SystemFontProvider>(faceChoiceOf(settings_));
            provider_ = ownProvider_.get();
        }
        fonts_.emplace(*provider_, settings_.baseFont);
        shaper_.emplace(*provider_, settings_.baseFont,
                        static_cast<int>(tabStopDistance(fonts_->spaceWidth())));
        // Liberation Mono, like Courier, sets text in columns; a chosen
        // face does when it is monospaced itself.
        const bool columns = drawsChosenFace(settings_)
                                 ? fonts_->fonts().front().face().metrics().fixedPitch
                                 : settings_.baseFont.starts_with("Courier");
        lines_.emplace(*fonts_, &*shaper_, settings_.fontSizeText, columns);
    } else if (summary.hasTab) {
        const StandardFontWidths* widths = standardFontWidths(settings_.baseFont);
        lines_.emplace(widths ? *widths : kStandardFontWidths.front());
    } else {
        return nullptr;
    }
    return &*lines_;
}

}  // namespace leafwright
