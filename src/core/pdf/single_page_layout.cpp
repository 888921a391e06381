#include "core/pdf/single_page_layout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/pdf/content_stream.h"
#include "core/pdf/shown_lines.h"

namespace leafwright {

namespace {

constexpr int kBottomMargin = 15;
constexpr int kRightMargin = 60;

const ConversionSettings& storePageSize(ConversionSettings& s, std::uint64_t lineCount,
                                        std::uint64_t widestLine, double widestShapedLine,
                                        const TextMeasure& measure) {
    auto lines = static_cast<double>(lineCount);
    std::int64_t height =
        static_cast<std::int64_t>(lines * s.leadingValue) + s.topMarginValue + kBottomMargin;
    std::int64_t widest = lineCount == 0 ? 0 : measure.widthInPoints(widestLine);
    if (widestShapedLine > 0)
        widest = std::max(widest, static_cast<std::int64_t>(widestShapedLine) + 1);
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
                       const TextMeasure& measure, const LineDrawingChoice& chooseDrawing)
    : source_(source, SourceText::Measures::LineSizes),
      shown_(chooseDrawing ? chooseDrawing(source_.summary()) : nullptr),
      measured_(measureLines()),
      frame_(storePageSize(settings, lineCount(), measured_.widestLine, measured_.widestShapedLine,
                           measure)),
      streamLength_(frame_.streamLength(measured_.linesBytes)) {
    if (shown_ && shown_->rightToLeftLines() > 0) {
        shown_->setTextAreaWidth(textAreaWidth(settings));
        measured_.linesBytes = measureLines(true).linesBytes;
        streamLength_ = frame_.streamLength(measured_.linesBytes);
    }
}

SinglePage::SinglePage(TextFileReader& source, const SinglePage& measured)
    : source_(source, measured.source_),
      shown_(nullptr),
      measured_(measured.measured_),
      frame_(measured.frame_),
      streamLength_(measured.streamLength_) {}

// Plain lines are measured by the first pass; others are read once more and
// produced as they will be written, counting.
SinglePage::Measured SinglePage::measureLines(bool again) {
    const SourceSummary& summary = source_.summary();
    if (!shown_)
        return {summary.widestLine, 0,
                summary.lineCount * ContentFrame::kLineOverhead + summary.bodyBytes, 0};
    const SourceText::Position start = source_.position();
    const std::uint64_t notPrintableBefore = shown_->notPrintable();
    const std::uint64_t shapedBefore = shown_->shapedPieces();
    kept_ = std::make_unique<KeptPageBodies>();
    std::uint64_t bytes = 0;
    std::string buffer;
    auto count = [&](std::string_view piece) {
        bytes += piece.size();
        // Lines read right to left are measured again, and lines that shape
        // nothing are cheaper drawn again than stored and read back.
        if ((!again && shown_->rightToLeftLines() > 0) ||
            (bytes > KeptPageBodies::kMemoryLimit && shown_->shapedPieces() == shapedBefore))
            kept_->forgetAll();
        kept_->add(piece);
        return true;
    };
    shown_->beginPage();
    produceLines(source_, lineCount(), buffer, kContentPieceBytes, count, shown_);
    count(buffer);
    if (shown_->shapedPieces() != shapedBefore)
        kept_->endPage();
    else
        kept_->dropPage();
    if (!kept_->isKept(0)) kept_.reset();
    measuredEnd_ = source_.position();
    source_.returnTo(start);
    return {shown_->widestColumns(), shown_->widestShapedPoints(), bytes,
            shown_->notPrintable() - notPrintableBefore};
}

void SinglePage::writeContent(TextFileWriter& out) {
    handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
}

void SinglePage::handContent(const TakeContent& take) {
    std::uint64_t handed = 0;
    std::string buffer;
    auto hand = [&](std::string_view bytes) {
        handed += bytes.size();
        take(bytes);
        return true;
    };
    if (kept_) {
        hand(frame_.opening());
        kept_->handNext(hand);
        hand(ContentFrame::kClosing);
        kept_.reset();
        source_.returnTo(measuredEnd_);
    } else {
        produceContent(frame_, source_, lineCount(), buffer, kContentPieceBytes, hand, shown_);
        hand(buffer);
    }
    source_.expectEnd();
    // Same line count, other bytes: the length written first would be wrong.
    source_.expectWritten(handed, contentBytesOfStream(streamLength_));
}

void SinglePage::handOpening(const TakeContent& take) const {
    std::string opening;
    frame_.begin(opening);
    take(opening);
}

void SinglePage::handLines(std::uint64_t first, std::uint64_t count, const TakeContent& take) {
    if (shown_) throw std::logic_error("lines drawn with tab stops or embedded fonts are one");
    source_.moveToLines(first, first + count);
    std::string buffer;
    produceLines(source_, count, buffer, kContentPieceBytes, [&](std::string_view bytes) {
        take(bytes);
        return true;
    });
    take(buffer);
    if (first + count == lineCount()) source_.expectEnd();
}

void SinglePage::handClosing(const TakeContent& take) {
    std::string closing;
    ContentFrame::end(closing);
    take(closing);
}

void SinglePage::expectWritten(std::uint64_t handed) const {
    source_.expectWritten(handed, contentBytesOfStream(streamLength_));
}

SinglePage layOutSinglePage(TextFileReader& source, ConversionSettings& settings,
                            const TextMeasure& measure, const LineDrawingChoice& chooseDrawing) {
    return SinglePage(source, settings, measure, chooseDrawing);
}

}  // namespace leafwright
