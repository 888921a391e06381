#include "core/pdf/line_drawing.h"

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/system_font_provider.h"
#include "core/fonts/tab_stops.h"

namespace leafwright {

LineDrawing::LineDrawing(const ConversionSettings& settings, FontProvider* provider)
    : settings_(settings), provider_(provider) {}

LineDrawing::~LineDrawing() = default;

ShownLines* LineDrawing::choose(const SourceSummary& summary) {
    if (summary.beyondMacRoman) {
        if (!provider_) {
            ownProvider_ = std::make_unique<SystemFontProvider>();
            provider_ = ownProvider_.get();
        }
        fonts_.emplace(*provider_, settings_.baseFont);
        shaper_.emplace(*provider_, settings_.baseFont,
                        static_cast<int>(tabStopDistance(fonts_->spaceWidth())));
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
