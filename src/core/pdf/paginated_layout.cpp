#include "pdf/paginated_layout.h"

#include <algorithm>

#include "platform/file_error.h"

namespace leafwright {

std::int64_t lineCapacity(const ConversionSettings& s) {
    if (!(s.leadingValue > 0)) return 0;
    int usable = s.pageHeightValue - s.topMarginValue;
    double fitting = static_cast<double>(usable) / s.leadingValue;
    // Clamp before converting, which is undefined beyond the integer range.
    fitting = std::clamp(fitting, -1.0, 1e15);
    return static_cast<std::int64_t>(fitting) - 1;
}

PaginatedPages::PaginatedPages(TextFileReader& source, const ConversionSettings& settings,
                               std::int64_t capacity)
    : source_(source, SourceText::Measures::LineCount),
      frame_(settings),
      capacity_(static_cast<std::uint64_t>(capacity)) {
    std::uint64_t lines = source_.summary().lineCount;
    pageCount_ = lines == 0 ? 1 : static_cast<std::size_t>((lines + capacity_ - 1) / capacity_);
}

const PageContent& PaginatedPages::nextPage() {
    frame_.begin(page_);
    std::uint64_t lines = source_.summary().lineCount;
    std::uint64_t placed = static_cast<std::uint64_t>(pagesMade_) * capacity_;
    std::uint64_t onThisPage = placed >= lines ? 0 : std::min(capacity_, lines - placed);
    for (std::uint64_t i = 0; i < onThisPage; ++i) {
        page_.bytes.append(ContentFrame::kLineStart);
        source_.appendNextLine(page_.bytes);
        page_.bytes.append(ContentFrame::kLineEnd);
    }
    ContentFrame::end(page_);
    if (++pagesMade_ == pageCount_) source_.expectEnd();
    return page_;
}

PaginatedPages layOutPages(TextFileReader& source, const ConversionSettings& settings) {
    std::int64_t capacity = lineCapacity(settings);
    if (capacity <= 0) throw FileError(source.path(), "No line fits on the page");
    return PaginatedPages(source, settings, capacity);
}

}  // namespace leafwright
