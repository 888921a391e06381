#include "core/pdf/single_page_layout.h"

#include <string>

#include "core/pdf/content_stream.h"

namespace leafwright {

namespace {

constexpr int kBottomMargin = 15;
constexpr int kRightMargin = 60;

const ConversionSettings& storePageSize(ConversionSettings& s, const SourceSummary& summary,
                                        const TextMeasure& measure) {
    auto lines = static_cast<double>(summary.lineCount);
    std::int64_t height =
        static_cast<std::int64_t>(lines * s.leadingValue) + s.topMarginValue + kBottomMargin;
    std::int64_t widest = summary.lineCount == 0 ? 0 : measure.widthInPoints(summary.widestLine);
    std::int64_t width = widest + s.leftMarginValue + kRightMargin;

    s.pageHeightValue = static_cast<int>(height);
    s.pageHeight = std::to_string(height);
    s.textTopValue = static_cast<int>(height - s.topMarginValue);
    s.textTop = std::to_string(height - s.topMarginValue);
    s.pageWidthValue = static_cast<int>(width);
    s.pageWidth = std::to_string(width);
    s.textLeft = std::to_string(s.leftMarginValue);
    return s;
}

}  // namespace

SinglePage::SinglePage(TextFileReader& source, ConversionSettings& settings,
                       const TextMeasure& measure)
    : source_(source, SourceText::Measures::LineSizes),
      frame_(storePageSize(settings, source_.summary(), measure)),
      streamLength_(frame_.streamLength(source_.summary().lineCount, source_.summary().bodyBytes)) {
}

void SinglePage::writeContent(TextFileWriter& out) {
    const std::uint64_t start = out.position();
    std::string buffer;
    auto write = [&](std::string_view bytes) {
        out.writeRaw(bytes);
        return true;
    };
    produceContent(frame_, source_, lineCount(), buffer, kContentPieceBytes, write);
    out.writeRaw(buffer);
    source_.expectEnd();
    // Same line count, other bytes: the length written first would be wrong.
    source_.expectWritten(out.position() - start, streamLength_ + 2);
}

SinglePage layOutSinglePage(TextFileReader& source, ConversionSettings& settings,
                            const TextMeasure& measure) {
    return SinglePage(source, settings, measure);
}

}  // namespace leafwright
