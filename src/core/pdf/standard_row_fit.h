#pragma once

#include <memory>

#include "core/settings/conversion_settings.h"
#include "core/text/fit_scan.h"
#include "core/text/line_width_gauge.h"

namespace leafwright {

// What makes a line need cutting into rows on fixed pages, in the standard
// font's widths against the text area less the gutter, as the row plan
// measures it (StandardRowMeasure): for the first pass to tell, on two
// threads, whether the row plan has anything to cut.
class StandardRowFit {
  public:
    StandardRowFit(const ConversionSettings& settings, double gutter);
    const RowFit& rule() const noexcept { return fit_; }

  private:
    std::unique_ptr<LineWidthGauge> plain_;
    std::unique_ptr<LineWidthGauge> tabbed_;
    RowFit fit_;
};

}  // namespace leafwright
