#include "core/pdf/alternating_pages.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace leafwright {

AlternatingPages::AlternatingPages(PaginatedPages& mine,
                                   std::unique_ptr<TextFileReader> otherReader,
                                   std::size_t pagesPerRun, std::size_t batchBytes)
    : mine_(mine),
      otherReader_(std::move(otherReader)),
      other_(*otherReader_, mine),
      pageCount_(mine.pageCount()),
      pagesPerRun_(std::max<std::size_t>(pagesPerRun, 1)),
      runCount_((pageCount_ + pagesPerRun_ - 1) / pagesPerRun_),
      claims_(new std::atomic<unsigned char>[runCount_]()),
      content_([this](ContentPipe& pipe) { makeOthersRuns(pipe); }, batchBytes) {}

// The runs go out in order, each after its number. A run left for the
// calling thread is one it has not reached yet, so it can still claim it.
void AlternatingPages::makeOthersRuns(ContentPipe& pipe) {
    const auto put = [&](std::string_view bytes) { pipe.putBytes(bytes); };
    for (std::size_t run = 0; run < runCount_; ++run) {
        if (runWanted_.exchange(false) || !claim(run, kOthers)) continue;
        const std::size_t first = run * pagesPerRun_;
        const std::size_t end = std::min(first + pagesPerRun_, pageCount_);
        other_.skipToPages(first, end);
        pipe.putNumber(run);
        for (std::size_t page = first; page < end; ++page) {
            pipe.putNumber(other_.nextStreamLength());
            other_.handContent(put);
        }
        // The writing side may be waiting for this run.
        pipe.flush();
    }
}

// A run not claimed yet is made here; one of the other's is taken from the
// pipe, and when it is not there yet, the other thread is asked to leave the
// next run it comes to, which this thread then makes instead of waiting.
void AlternatingPages::startRun(std::size_t run) {
    makingRun_ = claim(run, kMine);
    if (makingRun_) {
        const std::size_t first = run * pagesPerRun_;
        mine_.skipToPages(first, std::min(first + pagesPerRun_, pageCount_));
        return;
    }
    if (!content_.numberReady()) runWanted_.store(true);
    if (content_.takeNumber() != run) throw std::logic_error("the runs of pages came out of order");
}

std::uint64_t AlternatingPages::nextStreamLength() {
    if (pagesWritten_ % pagesPerRun_ == 0) startRun(pagesWritten_ / pagesPerRun_);
    streamLength_ = makingRun_ ? mine_.nextStreamLength() : content_.takeNumber();
    return streamLength_;
}

void AlternatingPages::writeContent(TextFileWriter& out) {
    if (makingRun_)
        mine_.writeContent(out);
    else
        content_.writeBytes(out, contentBytesOfStream(streamLength_));
    if (++pagesWritten_ == pageCount_) content_.finish();
}

}  // namespace leafwright
