#pragma once

#include <cstdint>
#include <string>

#include "core/plustools/page_text_maps.h"

namespace leafwright {

class LineFeeder;
class PdfDocument;
class UnspoolFilter;
struct PdfPage;

// Reads the content of a document's pages through the Unspool filter: each
// page's content streams in order, decoded as they come (never held whole),
// the page's fonts decoded through their text maps.
class PageContentReader {
  public:
    PageContentReader(PdfDocument& document, UnspoolFilter& filter, LineFeeder& feeder);

    // Feeds the page's content streams, each ending its last line. Throws FileError
    // naming the PDF when a stream of it is corrupt or cannot be read.
    void readPage(const PdfPage& page, std::uint64_t pageNumber);

    // Pages whose content, or some of it, could not be read, and why the
    // first one could not ("its page content uses the LZWDecode filter").
    std::uint64_t pagesUnread() const noexcept { return pagesUnread_; }
    const std::string& unreadReason() const noexcept { return unreadReason_; }

  private:
    PdfDocument& document_;
    UnspoolFilter& filter_;
    LineFeeder& feeder_;
    PageTextMaps maps_;
    std::uint64_t pagesUnread_ = 0;
    std::string unreadReason_;
};

}  // namespace leafwright
