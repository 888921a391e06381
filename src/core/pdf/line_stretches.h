#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pdf/single_page_layout.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/run/shared_stretches.h"

namespace leafwright {

// The content of a SinglePage of plain strings made by two threads in
// stretches of linesPerStretch lines shared out between them
// (SharedStretches), each thread through a reader of its own; the calling
// thread writes it all, in order. Both make their lines as one thread would
// and check the source the same way, so the bytes are those of one thread.
class LineStretches {
  public:
    // mine must outlive this object and be used by nothing else meanwhile.
    LineStretches(SinglePage& mine, std::unique_ptr<TextFileReader> helperReader,
                  std::uint64_t linesPerStretch,
                  std::size_t batchBytes = SharedStretches::kBatchBytes);

    // Writes the content bytes (contentBytesOfStream(streamLength()) of
    // them); throws as SinglePage::writeContent.
    void writeContent(TextFileWriter& out);
    // The same, handing the bytes to take instead.
    void handContent(const TakeContent& take);
    // Whether a helper thread took part (else the calling thread made every
    // line).
    bool onTwoThreads() const noexcept { return stretches_.helperStarted(); }

  private:
    // Ends a stretch of the helper's, where a piece's size would stand.
    static constexpr std::uint64_t kEndOfStretch = ~std::uint64_t{0};

    std::uint64_t firstLine(std::size_t stretch) const { return stretch * linesPerStretch_; }
    std::uint64_t linesIn(std::size_t stretch) const;

    SinglePage& mine_;
    std::unique_ptr<TextFileReader> helperReader_;
    SinglePage helpers_;
    std::uint64_t lineCount_;
    std::uint64_t linesPerStretch_;
    SharedStretches stretches_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
