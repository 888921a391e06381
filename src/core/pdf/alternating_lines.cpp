#include "core/pdf/alternating_lines.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace leafwright {

AlternatingLines::AlternatingLines(SinglePage& mine, std::unique_ptr<TextFileReader> otherReader,
                                   std::uint64_t linesPerRun, std::size_t batchBytes)
    : mine_(mine),
      otherReader_(std::move(otherReader)),
      other_(*otherReader_, mine),
      lineCount_(mine.lineCount()),
      linesPerRun_(std::max<std::uint64_t>(linesPerRun, 1)),
      runs_(
          static_cast<std::size_t>((lineCount_ + linesPerRun_ - 1) / linesPerRun_),
          [this](std::size_t run, ContentPipe& pipe) {
              // A run of lines may be of any length: it goes in pieces, each
              // after its size.
              other_.handLines(firstLine(run), linesIn(run), [&](std::string_view bytes) {
                  if (bytes.empty()) return;
                  pipe.putNumber(bytes.size());
                  pipe.putBytes(bytes);
              });
              pipe.putNumber(kEndOfRun);
          },
          batchBytes) {}

std::uint64_t AlternatingLines::linesIn(std::size_t run) const {
    return std::min(linesPerRun_, lineCount_ - firstLine(run));
}

void AlternatingLines::writeContent(TextFileWriter& out) {
    std::uint64_t written = 0;
    const auto write = [&](std::string_view bytes) {
        out.writeRaw(bytes);
        written += bytes.size();
    };
    mine_.handOpening(write);
    PipelinedContent& content = runs_.content();
    for (std::size_t run = 0; run < runs_.runCount(); ++run) {
        if (runs_.startRun(run)) {
            mine_.handLines(firstLine(run), linesIn(run), write);
            continue;
        }
        for (std::uint64_t size; (size = content.takeNumber()) != kEndOfRun; written += size)
            content.writeBytes(out, size);
    }
    SinglePage::handClosing(write);
    content.finish();
    mine_.expectWritten(written);
}

}  // namespace leafwright
