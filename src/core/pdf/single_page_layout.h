#pragma once

#include <cstdint>
#include <memory>

#include "core/pdf/kept_page_bodies.h"
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

    // The same page read again through another reader of the same file
    // (TextFileReader::openAgain), without a first pass, for a page of plain
    // strings.
    SinglePage(TextFileReader& source, const SinglePage& measured);

    std::uint64_t streamLength() const noexcept { return streamLength_; }
    std::uint64_t lineCount() const noexcept { return source_.summary().lineCount; }
    // The characters of the source no face could print (shown as "?"),
    // each counted once however often the page is measured.
    std::uint64_t notPrintable() const noexcept { return measured_.notPrintable; }

    // Writes the content bytes (contentBytesOfStream(streamLength()) of
    // them). Throws FileError
    // naming the source when it changed since it was measured.
    void writeContent(TextFileWriter& out);
    // The same, handing the bytes to take instead.
    void handContent(const TakeContent& take);

    // The content in parts, for a page of plain strings made by several
    // readers: what comes before the lines, `count` lines from line `first`
    // on (each reader's in increasing order; reading only a few lines before
    // them, through the line starts the first pass kept), what comes after
    // them, and the check that the parts took the bytes measured. The part
    // that ends with the last line checks that nothing follows it.
    void handOpening(const TakeContent& take) const;
    void handLines(std::uint64_t first, std::uint64_t count, const TakeContent& take);
    static void handClosing(const TakeContent& take);
    void expectWritten(std::uint64_t handed) const;

  private:
    struct Measured {
        std::uint64_t widestLine;  // in columns of the measuring model
        double widestShapedLine;   // in points, 0 without shaped lines
        std::uint64_t linesBytes;  // of the content between opening and closing
        std::uint64_t notPrintable;
    };
    // Reads the lines once more as they will be written (again, with the
    // text area's width known, when lines read right to left); the bytes of
    // lines that shape are kept for writing (kept_), as far as they can be.
    Measured measureLines(bool again = false);

    SourceText source_;
    ShownLines* shown_;
    // What the last measuring drew, when it shaped and all of it was kept,
    // and where it left the source.
    std::unique_ptr<KeptPageBodies> kept_;
    SourceText::Position measuredEnd_;
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
