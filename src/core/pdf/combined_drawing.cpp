#include "core/pdf/combined_drawing.h"

#include "core/fonts/system_font_provider.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/line_drawing.h"

namespace leafwright {

CombinedDrawing::CombinedDrawing(const ConversionSettings& settings, FontProvider* provider,
                                 bool embedded)
    : settings_(settings) {
    if (!embedded) return;
    if (!provider) {
        ownProvider_ = std::make_unique<SystemFontProvider>(faceChoiceOf(settings));
        provider = ownProvider_.get();
    }
    fonts_.emplace(*provider, settings_.baseFont);
    shaper_.emplace(*provider, settings_.baseFont,
                    static_cast<int>(tabStopDistance(fonts_->spaceWidth())));
}

CombinedDrawing::~CombinedDrawing() = default;

ShownLines* CombinedDrawing::choose(const SourceSummary& summary) {
    lines_.reset();
    if (fonts_) return &emplaceEmbeddedLines(lines_, *fonts_, *shaper_, settings_);
    return standardLines(lines_, summary, settings_);
}

}  // namespace leafwright
