#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/pipelined_content.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

// The pages of a PaginatedPages made by two threads, in runs of pagesPerRun
// pages, each thread through a reader of its own. The calling thread writes
// every page in order and makes the runs it claims; the other thread claims
// the others one after another and hands them over through a pipe. When
// the calling thread is about to wait for a run of the other's, it asks for
// one: the other thread leaves its next run unclaimed, and the calling
// thread makes that one while the other makes the run after it. So the runs
// share out by themselves between the two threads, however fast each is.
// Each thread goes to a run it claimed through the line starts that the
// first pass kept, reading only a few lines before it. Both make their pages
// as one thread would and check the source the same way, and whichever
// makes the last page checks that nothing follows it, so the bytes are
// those of one thread.
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
    enum Claim : unsigned char { kUnclaimed, kOthers, kMine };

    bool claim(std::size_t run, Claim by) {
        unsigned char unclaimed = kUnclaimed;
        return claims_[run].compare_exchange_strong(unclaimed, by);
    }
    void makeOthersRuns(ContentPipe& pipe);
    void startRun(std::size_t run);

    PaginatedPages& mine_;
    std::unique_ptr<TextFileReader> otherReader_;
    PaginatedPages other_;
    std::size_t pageCount_;
    std::size_t pagesPerRun_;
    std::size_t runCount_;
    std::unique_ptr<std::atomic<unsigned char>[]> claims_;  // a Claim for each run
    // The calling thread asks the other to leave it a run.
    std::atomic<bool> runWanted_{false};
    bool makingRun_ = false;  // the calling thread makes the run being written
    std::size_t pagesWritten_ = 0;
    std::uint64_t streamLength_ = 0;
    PipelinedContent content_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
