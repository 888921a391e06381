#pragma once

#include "core/settings/conversion_settings.h"

namespace leafwright {

// Where the body's lines stand across the page, in points: from `left` (the
// text's left edge) over `width`. Everything that decides how wide a line
// may be (wrapping, right-to-left placement, the mark of a continued line)
// asks here, so that whatever narrows the area narrows it for all of them.
struct TextArea {
    double left;
    double width;
};

// The page width less the left margin on both sides, and less a gutter
// (the column of line numbers) on the left.
TextArea textArea(const ConversionSettings& settings, double gutter = 0);

}  // namespace leafwright
