#pragma once

#include <cstdint>

#include "core/pdf/page_content.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/text_measure.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"
#include "core/text/source_text.h"

namespace leafwright {

// The one page of a source cut to the size of its text. Its content is
// produced from the source's second pass while it is written.
class SinglePage {
  public:
    SinglePage(TextFileReader& source, ConversionSettings& settings, const TextMeasure& measure,
               const LineDrawingChoice& chooseDrawing = {});

    std::uint64_t streamLength() const noexcept { return streamLength_; }
    std::uint64_t lineCount() const noexcept { return source_.summary().lineCount; }

    // Writes the content bytes (contentBytesOfStream(streamLength()) of
    // them). Throws FileError
    // naming the source when it changed since it was measured.
    void writeContent(TextFileWriter& out);
    // The same, handing the bytes to take instead.
    void handContent(const TakeContent& take);

  private:
    struct Measured {
        std::uint64_t widestLine;  // in columns of the measuring model
        double widestShapedLine;   // in points, 0 without shaped lines
        std::uint64_t linesBytes;  // of the content between opening and closing
    };
    Measured measureLines();

    SourceText source_;
    ShownLines* shown_;
    Measured measured_;
    ContentFrame frame_;
    std::uint64_t streamLength_;
};

// Measures the source and stores the page it needs into the settings, where
// the values stay: height trunc(lines * leadingValue) + topMarginValue + 15,
// width (widest line in points) + leftMarginValue + 60, the text starting
// topMarginValue below the top and leftMarginValue from the left edge. Lines
// drawn by ShownLines are read once more to be measured in its columns; a
// shaped line is as wide as the larger of its columns and its drawn width
// (+ 1 point). When lines run right to left, they are read once more still,
// since where they end depends on the page's width.
SinglePage layOutSinglePage(TextFileReader& source, ConversionSettings& settings,
                            const TextMeasure& measure,
                            const LineDrawingChoice& chooseDrawing = {});

}  // namespace leafwright
