#include "core/pdf/combined_pages.h"

#include <algorithm>
#include <stdexcept>

namespace leafwright {

void CombinedPages::addSource(std::uint64_t pages) {
    if (pages == 0) throw std::invalid_argument("a source has at least one page");
    // The blank page of the source before, when this one would start on
    // the back of a sheet.
    if (startOnOddPages_ && pageCount_ % 2 == 1) ++pageCount_;
    firstPage_.push_back(pageCount_);
    pages_.push_back(pages);
    pageCount_ += pages;
}

bool CombinedPages::blankAfter(std::size_t source) const {
    const std::uint64_t end = firstPageOf(source) + pagesOf(source);
    const std::uint64_t next = source + 1 < sourceCount() ? firstPageOf(source + 1) : pageCount_;
    return next > end;
}

CombinedPageFacts CombinedPages::factsOf(std::uint64_t page) const {
    if (page >= pageCount_) throw std::out_of_range("no such page in the combined document");
    const auto after = std::upper_bound(firstPage_.begin(), firstPage_.end(), page);
    const auto source = static_cast<std::size_t>(after - firstPage_.begin() - 1);
    CombinedPageFacts facts;
    facts.source = source;
    facts.sourcePages = pages_[source];
    const std::uint64_t within = page - firstPage_[source];
    facts.pageInSource = within < pages_[source] ? within + 1 : 0;
    facts.pageInDocument = page + 1;
    facts.documentPages = pageCount_;
    return facts;
}

}  // namespace leafwright
