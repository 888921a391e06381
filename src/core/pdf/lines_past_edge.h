#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/settings/conversion_settings.h"
#include "core/text/line_width_gauge.h"
#include "core/text/source_text.h"

namespace leafwright {

class ShownLines;

// Whether the lines that run past the right edge of the page are counted,
// for a warning: on fixed pages, when lines are drawn whole (no wrapping) or
// broken only between words (a word wider than the line still runs past).
// A self-adapting page grows to its widest line instead.
bool countsLinesPastEdge(const ConversionSettings& settings);

// The room of a line in thousandths of the font size: a line whose widths
// add up to more runs past the edge of a text area `points` wide.
std::int64_t roomInFontUnits(double points, double fontSize);

// A gauge of lines drawn in the settings' standard font, across the text
// area less the gutter; with tab stops when the text holds tabs.
std::unique_ptr<LineWidthGauge> standardFontGauge(const ConversionSettings& settings, double gutter,
                                                  bool hasTab);

// Counts the lines of one document on fixed pages that run past the right
// edge. Lines drawn whole as plain strings of the standard font (with tab
// stops or without) are measured on the second pass, by whichever reader
// hands them out (two threads share out the pages: each measures its own),
// since that pass finds each line's end anyway and the first pass does
// not (it counts line feeds without splitting the lines, on two threads for
// a large text); most lines are then told apart by their length alone.
// Lines drawn with embedded fonts are measured as drawn, while the fonts
// plan (ShownLines). Lines cut into rows are counted by the row plan.
class PastEdgeCount {
  public:
    // For lines drawn whole: shown is the layout's, nullptr for plain
    // strings; gutter narrows the text area. Does nothing unless the
    // settings count such lines.
    void startForWholeLines(const ConversionSettings& settings, SourceText& source,
                            ShownLines* shown, double gutter);
    // For lines cut into rows, as counted before; with lines broken at any
    // character, only when some still run past the edge.
    void setCounted(const ConversionSettings& settings, std::uint64_t lines);
    // Once every page is made: the count, when the settings count.
    std::optional<std::uint64_t> lines(SourceText& source, const ShownLines* shown) const;

  private:
    enum class By { Nothing, Gauge, Shown, Known };
    By by_ = By::Nothing;
    std::unique_ptr<LineWidthGauge> gauge_;
    std::uint64_t known_ = 0;
};

// The warning for a document with such lines.
std::string linesPastEdgeWarning(std::uint64_t lines);

}  // namespace leafwright
