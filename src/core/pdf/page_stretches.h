#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/deflate/deflater.h"
#include "core/pdf/flate_content.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/run/shared_stretches.h"

namespace leafwright {

// The pages of a PaginatedPages made by two threads in stretches of
// pagesPerStretch pages shared out between them (SharedStretches), each
// thread through a reader of its own; the calling thread writes every page
// in order. Each thread goes to a stretch it makes through the line starts
// that the first pass kept, reading only a few lines before it. Both make
// their pages as one thread would and check the source the same way, and
// whichever makes the last page checks that nothing follows it, so the
// bytes are those of one thread.
class PageStretches : public PageSequence {
  public:
    // mine must outlive this object and be used by nothing else meanwhile;
    // its pages must be plain strings (drawn with no ShownLines): the
    // helper's reader makes those only.
    // With compress, the helper also compresses the pages it makes (those
    // of at most FlateContent::kPartBytes), as the writer would.
    PageStretches(PaginatedPages& mine, std::unique_ptr<TextFileReader> helperReader,
                  std::size_t pagesPerStretch,
                  std::size_t batchBytes = SharedStretches::kBatchBytes, bool compress = false);

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    void writeContent(TextFileWriter& out) override;
    void handContent(const TakeContent& take) override;
    void writeCompressedContent(FlateContent& flate, TextFileWriter& out,
                                std::uint64_t number) override;
    const std::string& furnitureForm() const override { return mine_.furnitureForm(); }
    // Whether a helper thread took part (else the calling thread made
    // every page).
    bool onTwoThreads() const noexcept { return stretches_.helperStarted(); }

  private:
    // The first page of a stretch and the page after its last.
    std::size_t firstPage(std::size_t stretch) const { return stretch * pagesPerStretch_; }
    std::size_t endPage(std::size_t stretch) const {
        return std::min(firstPage(stretch) + pagesPerStretch_, pageCount_);
    }

    // How the helper hands over a page when it compresses: its content as
    // it is, or its stream's data, compressed or not.
    enum Handed : std::uint64_t { kContent, kCompressed, kPlain };
    void makeStretch(std::size_t stretch, SharedStretches::Output& output);

    PaginatedPages& mine_;
    std::unique_ptr<TextFileReader> helperReader_;
    PaginatedPages helpers_;
    std::size_t pageCount_;
    std::size_t pagesPerStretch_;
    bool making_ = false;  // the calling thread makes the stretch being written
    std::size_t pagesWritten_ = 0;
    std::uint64_t streamLength_ = 0;
    // The helper's compressing, and what it handed over for this page.
    std::unique_ptr<Deflater> helpersDeflater_;
    std::string helpersContent_, helpersPacked_;
    std::uint64_t handed_ = kContent;
    SharedStretches stretches_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
