#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/pdf/shared_runs.h"
#include "core/pdf/single_page_layout.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

// The content of a SinglePage of plain strings made by two threads in runs
// of linesPerRun lines shared out between them (SharedRuns), each thread
// through a reader of its own; the calling thread writes it all, in order.
// Both make their lines as one thread would and check the source the same
// way, so the bytes are those of one thread.
class AlternatingLines {
  public:
    // mine must outlive this object and be used by nothing else meanwhile.
    AlternatingLines(SinglePage& mine, std::unique_ptr<TextFileReader> otherReader,
                     std::uint64_t linesPerRun, std::size_t batchBytes = ContentPipe::kBatchBytes);

    // Writes the content bytes (contentBytesOfStream(streamLength()) of
    // them); throws as SinglePage::writeContent.
    void writeContent(TextFileWriter& out);

  private:
    // Ends a run of the other thread's in the pipe, where a piece's size
    // would stand.
    static constexpr std::uint64_t kEndOfRun = ~std::uint64_t{0};

    std::uint64_t firstLine(std::size_t run) const { return run * linesPerRun_; }
    std::uint64_t linesIn(std::size_t run) const;

    SinglePage& mine_;
    std::unique_ptr<TextFileReader> otherReader_;
    SinglePage other_;
    std::uint64_t lineCount_;
    std::uint64_t linesPerRun_;
    SharedRuns runs_;  // last: its thread ends before the rest goes
};

}  // namespace leafwright
