#include "core/pdf/paginated_layout.h"

#include <algorithm>

#include "core/pdf/content_stream.h"
#include "core/pdf/shown_lines.h"
#include "core/platform/file_error.h"

namespace leafwright {

PaginatedPages::PaginatedPages(TextFileReader& source, const ConversionSettings& settings,
                               std::int64_t capacity, std::size_t heldPageLimit,
                               const LineDrawingChoice& chooseDrawing)
    : source_(source, SourceText::Measures::LineCount),
      frame_(settings),
      shown_(chooseDrawing ? chooseDrawing(source_.summary()) : nullptr),
      capacity_(static_cast<std::uint64_t>(capacity)),
      heldPageLimit_(heldPageLimit) {
    if (shown_) shown_->setTextAreaWidth(textAreaWidth(settings));
    std::uint64_t lines = source_.summary().lineCount;
    pageCount_ = lines == 0 ? 1 : static_cast<std::size_t>((lines + capacity_ - 1) / capacity_);
}

void PaginatedPages::readAheadAllPages() {
    const SourceText::Position start = source_.position();
    std::string discarded;
    auto discard = [](std::string_view) { return true; };
    const std::uint64_t lines = source_.summary().lineCount;
    if (shown_) shown_->setPlanning(true);
    for (std::uint64_t placed = 0; placed < lines; placed += capacity_) {
        if (shown_) shown_->beginPage();
        produceLines(source_, std::min(capacity_, lines - placed), discarded, kContentPieceBytes,
                     discard, shown_);
        discarded.clear();
    }
    if (shown_) shown_->setPlanning(false);
    source_.returnTo(start);
}

std::uint64_t PaginatedPages::nextStreamLength() {
    std::uint64_t lines = source_.summary().lineCount;
    std::uint64_t placed = static_cast<std::uint64_t>(pagesMade_) * capacity_;
    pageLines_ = placed >= lines ? 0 : std::min(capacity_, lines - placed);
    pageStart_ = source_.position();

    // Most pages are small: they are made once and held until written.
    if (shown_) shown_->beginPage();
    held_ = buildPageContent(frame_, page_, [&](std::string& bytes) {
        return produceLines(
            source_, pageLines_, bytes, heldPageLimit_, [](std::string_view) { return false; },
            shown_);
    });
    if (held_) return page_.streamLength;
    source_.returnTo(pageStart_);
    std::uint64_t total = 0;
    auto count = [&](std::string_view bytes) {
        total += bytes.size();
        return true;
    };
    produceContent(frame_, source_, pageLines_, page_.bytes, kContentPieceBytes, count, shown_);
    count(page_.bytes);
    page_.streamLength = streamLengthOfContent(total);
    return page_.streamLength;
}

void PaginatedPages::writeContent(TextFileWriter& out) {
    if (held_) {
        out.writeRaw(page_.bytes);
    } else {
        source_.returnTo(pageStart_);
        const std::uint64_t start = out.position();
        auto write = [&](std::string_view bytes) {
            out.writeRaw(bytes);
            return true;
        };
        produceContent(frame_, source_, pageLines_, page_.bytes, kContentPieceBytes, write, shown_);
        out.writeRaw(page_.bytes);
        source_.expectWritten(out.position() - start, contentBytesOfStream(page_.streamLength));
    }
    if (++pagesMade_ == pageCount_) source_.expectEnd();
}

PaginatedPages layOutPages(TextFileReader& source, const ConversionSettings& settings,
                           const LineDrawingChoice& chooseDrawing) {
    std::int64_t capacity = lineCapacity(settings);
    if (capacity <= 0) throw FileError(source.path(), "No line fits on the page");
    return PaginatedPages(source, settings, capacity, PaginatedPages::kHeldPageLimit,
                          chooseDrawing);
}

}  // namespace leafwright
