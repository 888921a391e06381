#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/plustools/page_text_maps.h"

namespace leafwright {

class LineFeeder;
class PdfDocument;
class UnspoolFilter;
struct PdfPage;

// Where the content of a document's pages goes, in order.
class PageContentSink {
  public:
    virtual ~PageContentSink() = default;
    // A page begins (its index from 0), with the maps of its fonts.
    virtual void beginPage(std::uint64_t index, std::shared_ptr<const FontTextMaps> fonts) = 0;
    // Decoded bytes of one of its content streams.
    virtual void content(std::string_view bytes) = 0;
    virtual void endStream() = 0;
};

// Hands the content to the Unspool filter, line by line through the feeder,
// and each page's fonts to the filter; `beforePage` runs as a page begins.
class FilterSink final : public PageContentSink {
  public:
    FilterSink(UnspoolFilter& filter, LineFeeder& feeder,
               std::function<void(std::uint64_t index)> beforePage = {})
        : filter_(filter), feeder_(feeder), beforePage_(std::move(beforePage)) {}

    void beginPage(std::uint64_t index, std::shared_ptr<const FontTextMaps> fonts) override;
    void content(std::string_view bytes) override;
    void endStream() override;

  private:
    UnspoolFilter& filter_;
    LineFeeder& feeder_;
    std::function<void(std::uint64_t)> beforePage_;
    std::shared_ptr<const FontTextMaps> fonts_;  // the current page's, kept for the filter
};

// Reads the content of a document's pages: each page's content streams in
// order, decoded as they come (never held whole), with its fonts' maps.
class PageContentReader {
  public:
    PageContentReader(PdfDocument& document, PageContentSink& sink);

    // Throws FileError naming the PDF when a stream of the page is corrupt
    // or cannot be read.
    void readPage(const PdfPage& page, std::uint64_t index);

    // Pages whose content, or some of it, could not be read, and why the
    // first one could not ("its page content uses the LZWDecode filter").
    std::uint64_t pagesUnread() const noexcept { return pagesUnread_; }
    const std::string& unreadReason() const noexcept { return unreadReason_; }

  private:
    PdfDocument& document_;
    PageContentSink& sink_;
    PageTextMaps maps_;
    std::uint64_t pagesUnread_ = 0;
    std::string unreadReason_;
};

// What reading every page came to.
struct PagesRead {
    std::uint64_t pages = 0;
    std::uint64_t pagesUnread = 0;
    std::string unreadReason;
};

// Reads every page of the document into the sink. With two threads, the
// document is read and its content inflated on a thread of its own while the
// calling thread feeds the sink (which need not be thread-safe): the two
// take turns on one core, or share two. Throws what the reading throws
// (FileError, PdfStructureError, PdfSyntaxError, CompressedDataError,
// RunCancelled) and what the sink throws.
PagesRead readAllPages(PdfDocument& document, PageContentSink& sink, unsigned threads);

}  // namespace leafwright
