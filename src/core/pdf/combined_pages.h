#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace leafwright {

// Where one page of a combined document comes from, for what is drawn on
// it (a header naming its file, page numbers within the file and across
// the document). Counts are from 1; pageInSource is 0 on a blank page
// added so that the next source starts on an odd page.
struct CombinedPageFacts {
    std::size_t source = 0;  // the source's place in the list, from 0
    std::uint64_t pageInSource = 0;
    std::uint64_t sourcePages = 0;  // the source's own pages, no blank page counted
    std::uint64_t pageInDocument = 0;
    std::uint64_t documentPages = 0;
};

// The pages of a combined document: each source on pages of its own, in
// list order, from a new page; with startOnOddPages (for printing on both
// sides of the sheet) a blank page follows a source that ends on an odd
// page, so that the next one starts on the front of a sheet. Holds two
// numbers a source.
class CombinedPages {
  public:
    explicit CombinedPages(bool startOnOddPages) : startOnOddPages_(startOnOddPages) {}

    // Adds the next source, of `pages` pages (at least one).
    void addSource(std::uint64_t pages);

    std::size_t sourceCount() const noexcept { return firstPage_.size(); }
    // Every page, blank ones included.
    std::uint64_t pageCount() const noexcept { return pageCount_; }
    // Page indexes below are from 0.
    std::uint64_t firstPageOf(std::size_t source) const { return firstPage_.at(source); }
    std::uint64_t pagesOf(std::size_t source) const { return pages_.at(source); }
    // Whether a blank page follows the source's own pages.
    bool blankAfter(std::size_t source) const;
    CombinedPageFacts factsOf(std::uint64_t page) const;

  private:
    bool startOnOddPages_;
    std::vector<std::uint64_t> firstPage_;
    std::vector<std::uint64_t> pages_;
    std::uint64_t pageCount_ = 0;
};

}  // namespace leafwright
