#include "core/pdf/page_stretches.h"

#include <string_view>
#include <utility>

namespace leafwright {

PageStretches::PageStretches(PaginatedPages& mine, std::unique_ptr<TextFileReader> helperReader,
                             std::size_t pagesPerStretch, std::size_t batchBytes)
    : mine_(mine),
      helperReader_(std::move(helperReader)),
      helpers_(*helperReader_, mine),
      pageCount_(mine.pageCount()),
      pagesPerStretch_(std::max<std::size_t>(pagesPerStretch, 1)),
      stretches_((pageCount_ + pagesPerStretch_ - 1) / pagesPerStretch_,
                 [this](std::size_t stretch, SharedStretches::Output& output) {
                     const auto put = [&](std::string_view bytes) { output.putBytes(bytes); };
                     helpers_.skipToPages(firstPage(stretch), endPage(stretch));
                     for (std::size_t page = firstPage(stretch); page < endPage(stretch); ++page) {
                         output.putNumber(helpers_.nextStreamLength());
                         helpers_.handContent(put);
                     }
                 },
                 batchBytes) {}

std::uint64_t PageStretches::nextStreamLength() {
    if (pagesWritten_ % pagesPerStretch_ == 0) {
        const std::size_t stretch = pagesWritten_ / pagesPerStretch_;
        making_ = stretches_.startStretch(stretch);
        if (making_) mine_.skipToPages(firstPage(stretch), endPage(stretch));
    }
    streamLength_ = making_ ? mine_.nextStreamLength() : stretches_.takeNumber();
    return streamLength_;
}

void PageStretches::writeContent(TextFileWriter& out) {
    handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
}

void PageStretches::handContent(const TakeContent& take) {
    if (making_)
        mine_.handContent(take);
    else
        stretches_.takeBytes(contentBytesOfStream(streamLength_), take);
    if (++pagesWritten_ == pageCount_) stretches_.finish();
}

}  // namespace leafwright
