#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/shared_runs.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

// The pages of a PaginatedPages made by two threads in runs of pagesPerRun
// pages shared out between them (SharedRuns), each thread through a reader
// of its own; the calling thread writes every page in order. Each thread
// goes to a run it makes through the line starts that the first pass kept,
// reading only a few lines before it. Both make their pages as one thread
// would and check the source the same way, and whichever makes the last
// page checks that nothing follows it, so the bytes are those of one thread.
class AlternatingPages : public PageSequence {
  public:
    // mine must outlive this object and be used by nothing else meanwhile;
    // its pages must be plain strings (drawn with no ShownLines): the other
    // reader makes those only.
    AlternatingPages(PaginatedPages& mine, std::unique_ptr<TextFileReader> otherReader,
                     std::size_t pagesPerRun, std::size_t batchBytes = ContentPipe::kBatchBytes);

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    void writeContent(TextFileWriter& out) override;

  private:
    // The first page of a run and the page after its last.
    std::size_t firstPage(std::size_t run) const { return run * pagesPerRun_; }
    std::size_t endPage(std::size_t run) const {
        return std::min(firstPage(run) + pagesPerRun_, pageCount_);
    }

    PaginatedPages& mine_;
    std::unique_ptr<TextFileReader> otherReader_;
    PaginatedPages other_;
    std::size_t pageCount_;
    std::size_t pagesPerRun_;
    bool makingRun_ = false;  // the calling thread makes the run being written
    std::size_t pagesWritten_ = 0;
    std::uint64_t streamLength_ = 0;
    SharedRuns runs_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
