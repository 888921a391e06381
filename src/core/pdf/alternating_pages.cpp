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
      content_(
          [this](ContentPipe& pipe) {
              const auto put = [&](std::string_view bytes) { pipe.putBytes(bytes); };
              for (std::size_t page = 0; page < pageCount_; ++page) {
                  if (!madeByOther(page)) continue;
                  // The calling thread's runs are not read here: this
                  // thread goes to its own run through the line starts
                  // the first pass kept. Whoever makes the last page
                  // checks that nothing follows it.
                  if (page == 0 || !madeByOther(page - 1)) other_.skipToPage(page);
                  pipe.putNumber(other_.nextStreamLength());
                  other_.handContent(put);
                  if (!endsOthersRun(page)) continue;
                  // Where the calling thread's next run starts; and the
                  // writing side needs these runs before this thread comes
                  // back from reading past that one.
                  const SourceText::Position next = other_.nextPageStart();
                  pipe.putNumber(next.offset);
                  pipe.putNumber(next.lines);
                  pipe.flush();
              }
          },
          batchBytes) {}

std::uint64_t AlternatingPages::nextStreamLength() {
    streamLength_ = madeByOther(pagesWritten_) ? content_.takeNumber() : mine_.nextStreamLength();
    return streamLength_;
}

void AlternatingPages::writeContent(TextFileWriter& out) {
    if (madeByOther(pagesWritten_)) {
        content_.writeBytes(out, contentBytesOfStream(streamLength_));
        if (endsOthersRun(pagesWritten_)) {
            SourceText::Position next;
            next.offset = content_.takeNumber();
            next.lines = content_.takeNumber();
            mine_.moveToPage(pagesWritten_ + 1, next);
        }
    } else {
        mine_.writeContent(out);
    }
    if (++pagesWritten_ == pageCount_) content_.finish();
}

}  // namespace leafwright
