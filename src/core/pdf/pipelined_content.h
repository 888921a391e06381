#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/pdf/content_pipe.h"
#include "core/pdf/page_content.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/platform/text_file_writer.h"
#include "core/platform/work_alongside.h"

namespace leafwright {

// Page contents made on a thread of their own while the calling thread
// writes the document around them, so that a large source keeps two cores
// busy. The making runs exactly as it would on the calling thread (same
// reads, same checks, same bytes), for the run of the calling thread: a
// cancelled run stops it too. Destroying the object before the making is
// done stops it and waits for it.
class PipelinedContent {
  public:
    // make(pipe) puts every length and content byte, in order.
    explicit PipelinedContent(std::function<void(ContentPipe&)> make,
                              std::size_t batchBytes = ContentPipe::kBatchBytes);
    ~PipelinedContent();
    PipelinedContent(const PipelinedContent&) = delete;
    PipelinedContent& operator=(const PipelinedContent&) = delete;

    std::uint64_t takeNumber() { return pipe_.takeNumber(); }
    bool numberReady() { return pipe_.numberReady(); }
    // Writes the next `count` content bytes.
    void writeBytes(TextFileWriter& out, std::uint64_t count);
    // Waits for the making to end and throws what it failed with: the
    // checks it makes after its last bytes (a source that changed) must
    // hold before the document may be finished.
    void finish() { pipe_.awaitClose(); }

  private:
    ContentPipe pipe_;
    WorkAlongside making_;  // last: it ends before the pipe goes
};

// The pages of a PaginatedPages made on a thread of their own (see
// PipelinedContent), handed out as it would hand them out itself.
class PipelinedPages : public PageSequence {
  public:
    // made must outlive this object and be used by nothing else meanwhile.
    explicit PipelinedPages(PaginatedPages& made,
                            std::size_t batchBytes = ContentPipe::kBatchBytes);

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    void writeContent(TextFileWriter& out) override;

  private:
    std::size_t pageCount_;
    std::size_t pagesWritten_ = 0;
    std::uint64_t streamLength_ = 0;
    PipelinedContent content_;
};

}  // namespace leafwright
