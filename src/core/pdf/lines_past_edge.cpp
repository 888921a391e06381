#include "core/pdf/lines_past_edge.h"

#include <cmath>

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/shown_lines.h"
#include "core/pdf/text_area.h"

namespace leafwright {

bool countsLinesPastEdge(const ConversionSettings& settings) {
    const WrapMode wrap = settings.chosen.more.wrap;
    return settings.chosen.selfAdaptation != 1 &&
           (wrap == WrapMode::None || wrap == WrapMode::Word);
}

// A line exactly as wide as the area fits; the small allowance keeps a
// width that is a whole number of units from being lost to rounding.
std::int64_t roomInFontUnits(double points, double fontSize) {
    if (fontSize <= 0) return 0;
    return static_cast<std::int64_t>(std::floor(points * 1000.0 / fontSize + 1e-7));
}

std::unique_ptr<LineWidthGauge> standardFontGauge(const ConversionSettings& settings, double gutter,
                                                  bool hasTab) {
    const StandardFontWidths* font = standardFontWidths(settings.baseFont);
    if (font == nullptr) return nullptr;
    const std::int64_t tabStop = hasTab ? tabStopDistance(font->spaceWidth()) : 0;
    return std::make_unique<LineWidthGauge>(
        font->byteWidths(), tabStop,
        roomInFontUnits(textArea(settings, gutter).width, settings.fontSizeValue));
}

void PastEdgeCount::startForWholeLines(const ConversionSettings& settings, SourceText& source,
                                       ShownLines* shown, double gutter) {
    if (!countsLinesPastEdge(settings)) return;
    if (shown && shown->embedded()) {
        shown->countLinesPastEdge(
            roomInFontUnits(textArea(settings, gutter).width, shown->fontSize()));
        by_ = By::Shown;
        return;
    }
    gauge_ = standardFontGauge(settings, gutter, source.summary().hasTab);
    if (!gauge_) return;
    source.gaugeLineWidths(gauge_.get());
    by_ = By::Gauge;
}

void PastEdgeCount::setCounted(const ConversionSettings& settings, std::uint64_t lines) {
    // Lines broken anywhere run past the edge only where the text area is
    // narrower than a character (margins that take most of the page): they
    // are counted when that happens.
    const bool brokenAnywhere = settings.chosen.selfAdaptation != 1 && lines > 0;
    if (!countsLinesPastEdge(settings) && !brokenAnywhere) return;
    gauge_.reset();
    known_ = lines;
    by_ = By::Known;
}

std::optional<std::uint64_t> PastEdgeCount::lines(SourceText& source,
                                                  const ShownLines* shown) const {
    switch (by_) {
        case By::Gauge:
            return source.linesTooWide();
        case By::Shown:
            return shown ? shown->linesPastEdge() : 0;
        case By::Known:
            return known_;
        default:
            return std::nullopt;
    }
}

std::string linesPastEdgeWarning(std::uint64_t lines) {
    return std::to_string(lines) + (lines == 1 ? " line runs" : " lines run") +
           " past the right edge of the page (see --wrap)";
}

}  // namespace leafwright
