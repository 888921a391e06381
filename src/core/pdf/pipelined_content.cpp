#include "core/pdf/pipelined_content.h"

#include <exception>
#include <utility>

namespace leafwright {

// The making ends in the pipe: done, abandoned by the writing side, or
// failed, its failure carried over to be thrown on the writing side.
PipelinedContent::PipelinedContent(std::function<void(ContentPipe&)> make, std::size_t batchBytes)
    : pipe_(batchBytes), making_([this, make = std::move(make)] {
          try {
              make(pipe_);
              pipe_.close();
          } catch (const ContentPipe::Abandoned&) {
              pipe_.close();
          } catch (...) {
              pipe_.close(std::current_exception());
          }
      }) {}

// The making stops at its next put; the member ending after this waits for it.
PipelinedContent::~PipelinedContent() {
    pipe_.abandon();
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

}  // namespace leafwright
