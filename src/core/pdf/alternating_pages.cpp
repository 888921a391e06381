#include "core/pdf/alternating_pages.h"

#include <algorithm>
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
      runs_((pageCount_ + pagesPerRun_ - 1) / pagesPerRun_,
            [this](std::size_t run, ContentPipe& pipe) {
                const auto put = [&](std::string_view bytes) { pipe.putBytes(bytes); };
                other_.skipToPages(firstPage(run), endPage(run));
                for (std::size_t page = firstPage(run); page < endPage(run); ++page) {
                    pipe.putNumber(other_.nextStreamLength());
                    other_.handContent(put);
                }
            },
            batchBytes) {}

std::uint64_t AlternatingPages::nextStreamLength() {
    if (pagesWritten_ % pagesPerRun_ == 0) {
        const std::size_t run = pagesWritten_ / pagesPerRun_;
        makingRun_ = runs_.startRun(run);
        if (makingRun_) mine_.skipToPages(firstPage(run), endPage(run));
    }
    streamLength_ = makingRun_ ? mine_.nextStreamLength() : runs_.content().takeNumber();
    return streamLength_;
}

void AlternatingPages::writeContent(TextFileWriter& out) {
    if (makingRun_)
        mine_.writeContent(out);
    else
        runs_.content().writeBytes(out, contentBytesOfStream(streamLength_));
    if (++pagesWritten_ == pageCount_) runs_.content().finish();
}

}  // namespace leafwright
