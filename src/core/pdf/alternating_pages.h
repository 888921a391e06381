#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/pipelined_content.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

// The pages of a PaginatedPages made by two threads in turn, each through a
// reader of its own, in runs of pagesPerRun pages: of every kRunsInTurn
// runs, the calling thread makes the first kRunsMine and writes them while
// the other thread makes the rest. The other thread goes to each of its
// runs through the line starts that the first pass kept, reading only a few
// lines of the calling thread's runs; the calling thread, which also writes
// the whole document and so takes fewer runs, moves straight to where the
// other thread found its next run to start. Both make their pages as one thread
// would and check the source the same way, so the bytes are those of one
// thread.
class AlternatingPages : public PageSequence {
  public:
    static constexpr std::size_t kRunsInTurn = 7;
    static constexpr std::size_t kRunsMine = 3;

    // mine must outlive this object and be used by nothing else meanwhile;
    // its pages must be plain strings (drawn with no ShownLines): the other
    // reader makes those only.
    AlternatingPages(PaginatedPages& mine, std::unique_ptr<TextFileReader> otherReader,
                     std::size_t pagesPerRun, std::size_t batchBytes = ContentPipe::kBatchBytes);

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    void writeContent(TextFileWriter& out) override;

  private:
    bool madeByOther(std::size_t page) const {
        return page / pagesPerRun_ % kRunsInTurn >= kRunsMine;
    }
    // The last page of the other thread's runs before the calling thread's.
    bool endsOthersRun(std::size_t page) const {
        return madeByOther(page) && (page + 1 == pageCount_ || !madeByOther(page + 1));
    }

    PaginatedPages& mine_;
    std::unique_ptr<TextFileReader> otherReader_;
    PaginatedPages other_;
    std::size_t pageCount_;
    std::size_t pagesPerRun_;
    std::size_t pagesWritten_ = 0;
    std::uint64_t streamLength_ = 0;
    PipelinedContent content_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
