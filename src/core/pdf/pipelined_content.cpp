#include "core/pdf/pipelined_content.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/platform/run_control.h"

namespace leafwright {

PipelinedContent::PipelinedContent(std::function<void(ContentPipe&)> make, std::size_t batchBytes)
    : pipe_(batchBytes) {
    thread_ = std::thread([this, make = std::move(make), control = currentRunControl()] {
        std::optional<RunControlScope> scope;
        if (control != nullptr) scope.emplace(*control);
        try {
            make(pipe_);
            pipe_.close();
        } catch (const ContentPipe::Abandoned&) {
            pipe_.close();
        } catch (...) {
            pipe_.close(std::current_exception());
        }
    });
}

PipelinedContent::~PipelinedContent() {
    pipe_.abandon();
    thread_.join();
}

void PipelinedContent::writeBytes(TextFileWriter& out, std::uint64_t count) {
    pipe_.takeBytes(count, [&](std::string_view bytes) { out.writeRaw(bytes); });
}

PipelinedPages::PipelinedPages(PaginatedPages& made, std::size_t batchBytes)
    : pageCount_(made.pageCount()),
      content_(
          [&made](ContentPipe& pipe) {
              const auto put = [&](std::string_view bytes) { pipe.putBytes(bytes); };
              for (std::size_t page = 0; page < made.pageCount(); ++page) {
                  pipe.putNumber(made.nextStreamLength());
                  made.handContent(put);
              }
          },
          batchBytes) {}

std::uint64_t PipelinedPages::nextStreamLength() {
    streamLength_ = content_.takeNumber();
    return streamLength_;
}

void PipelinedPages::writeContent(TextFileWriter& out) {
    content_.writeBytes(out, contentBytesOfStream(streamLength_));
    if (++pagesWritten_ == pageCount_) content_.finish();
}

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
                  if (!madeByOther(page)) {
                      other_.skipPage();
                      continue;
                  }
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
