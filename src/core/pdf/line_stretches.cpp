#include "core/pdf/line_stretches.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace leafwright {

LineStretches::LineStretches(SinglePage& mine, std::unique_ptr<TextFileReader> helperReader,
                             std::uint64_t linesPerStretch, std::size_t batchBytes)
    : mine_(mine),
      helperReader_(std::move(helperReader)),
      helpers_(*helperReader_, mine),
      lineCount_(mine.lineCount()),
      linesPerStretch_(std::max<std::uint64_t>(linesPerStretch, 1)),
      stretches_(
          static_cast<std::size_t>((lineCount_ + linesPerStretch_ - 1) / linesPerStretch_),
          [this](std::size_t stretch, SharedStretches::Output& output) {
              // A stretch of lines may be of any length: it goes in
              // pieces, each after its size.
              helpers_.handLines(firstLine(stretch), linesIn(stretch), [&](std::string_view bytes) {
                  if (bytes.empty()) return;
                  output.putNumber(bytes.size());
                  output.putBytes(bytes);
              });
              output.putNumber(kEndOfStretch);
          },
          batchBytes) {}

std::uint64_t LineStretches::linesIn(std::size_t stretch) const {
    return std::min(linesPerStretch_, lineCount_ - firstLine(stretch));
}

void LineStretches::writeContent(TextFileWriter& out) {
    handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
}

void LineStretches::handContent(const TakeContent& take) {
    std::uint64_t written = 0;
    const TakeContent write = [&](std::string_view bytes) {
        take(bytes);
        written += bytes.size();
    };
    mine_.handOpening(write);
    for (std::size_t stretch = 0; stretch < stretches_.count(); ++stretch) {
        if (stretches_.startStretch(stretch)) {
            mine_.handLines(firstLine(stretch), linesIn(stretch), write);
            continue;
        }
        for (std::uint64_t size; (size = stretches_.takeNumber()) != kEndOfStretch;)
            stretches_.takeBytes(size, write);
    }
    SinglePage::handClosing(write);
    stretches_.finish();
    mine_.expectWritten(written);
}

}  // namespace leafwright
