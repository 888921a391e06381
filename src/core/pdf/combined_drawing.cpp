#include "core/pdf/combined_drawing.h"

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/system_font_provider.h"
#include "core/fonts/tab_stops.h"

namespace leafwright {

CombinedDrawing::CombinedDrawing(const ConversionSettings& settings, FontProvider* provider,
                                 bool embedded)
    : settings_(settings) {
    if (!embedded) return;
    if (!provider) {
        ownProvider_ = std::make_unique<SystemFontProvider>();
        provider = ownProvider_.get();
    }
    fonts_.emplace(*provider, settings_.baseFont);
    shaper_.emplace(*provider, settings_.baseFont,
                    static_cast<int>(tabStopDistance(fonts_->spaceWidth())));
}

CombinedDrawing::~CombinedDrawing() = default;

ShownLines* CombinedDrawing::choose(const SourceSummary& summary) {
    lines_.reset();
    if (fonts_) {
        // Liberation Mono, like Courier, sets text in columns.
        lines_.emplace(*fonts_, &*shaper_, settings_.fontSizeText,
                       settings_.baseFont.starts_with("Courier"));
    } else if (summary.hasTab) {
        const StandardFontWidths* widths = standardFontWidths(settings_.baseFont);
        lines_.emplace(widths ? *widths : kStandardFontWidths.front());
    } else {
        return nullptr;
    }
    return &*lines_;
}

}  // namespace leafwright
