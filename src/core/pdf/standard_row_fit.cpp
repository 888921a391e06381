#include "core/pdf/standard_row_fit.h"

#include <array>

#include "core/fonts/standard_font_widths.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/wrapped_lines.h"
#include "core/pdf/wrapped_pages.h"

namespace leafwright {

StandardRowFit::StandardRowFit(const ConversionSettings& settings, double gutter) {
    const StandardFontWidths& font = rowFontWidths(settings);
    const std::array<std::uint16_t, 256> widths = font.byteWidths();
    const std::int64_t room = rowAreaWidth(settings, gutter);
    plain_ = std::make_unique<LineWidthGauge>(widths, 0, room);
    tabbed_ = std::make_unique<LineWidthGauge>(widths, tabStopDistance(font.spaceWidth()), room);
    const MoreSettings& more = settings.chosen.more;
    fit_.plain = plain_.get();
    fit_.tabbed = tabbed_.get();
    fit_.widthCuts = more.wrap != WrapMode::None;
    fit_.formFeedCuts = more.formFeed == FormFeedMode::Page;
    // A Windows-1252 byte takes up to three bytes once drawn as UTF-8, and
    // the row cutter takes a line longer than its longest row in parts.
    fit_.longestWhole = LineWrapper::kLongestRow / 4;
}

}  // namespace leafwright
