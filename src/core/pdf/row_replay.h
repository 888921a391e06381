#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/pdf/wrapped_lines.h"

namespace leafwright {

class KeptPageBodies;

// The rows a LineWrapper cut a text into, recorded by the reading that
// counts the pages, so that the reading that writes them hands on the same
// rows without measuring and breaking the lines again. Each row is kept as
// its length and whether it continues its line, each form feed and each
// line's end as a mark: a couple of bytes a row, in the pages of a
// KeptPageBodies (its memory, then its scratch file).
//
// RowRecorder stands between a LineWrapper and the sink it feeds, and keeps
// what passes as the marks of the page being made, until that page ends.
class RowRecorder : public RowSink {
  public:
    // cuts must outlive the recorder.
    RowRecorder(RowSink& sink, KeptPageBodies& cuts) : sink_(sink), cuts_(cuts) {}
    void row(std::string_view characters, bool continuation) override;
    void formFeed() override;
    void endLine();
    // The page being made ends: its marks are kept in cuts.
    void endPage();

  private:
    RowSink& sink_;
    KeptPageBodies& cuts_;
    std::string marks_;
};

// Hands a text's lines on as the recorded rows, taking the marks page by
// page from cuts in the order they were kept. A line whose bytes do not
// make the rows recorded (the source changed between the readings) throws
// FileError naming path.
class RowReplay {
  public:
    RowReplay(std::unique_ptr<KeptPageBodies> cuts, std::string path);
    ~RowReplay();
    RowReplay(const RowReplay&) = delete;
    RowReplay& operator=(const RowReplay&) = delete;

    void beginLine(RowSink& sink);
    // The line's UTF-8 bytes, cut anywhere.
    void add(std::string_view bytes);
    void endLine();

  private:
    // The next mark, read on from the kept pages when needed.
    std::uint64_t peek();
    void take() noexcept { at_ = next_; }
    // Hands on the rows and form feeds the bytes held make, up to the
    // line's end mark when lineEnds.
    void handOn(bool lineEnds);
    [[noreturn]] void changed() const;

    std::unique_ptr<KeptPageBodies> cuts_;
    std::string path_;
    std::size_t pagesLeft_;  // of cuts_, not yet read
    std::string marks_;
    std::size_t at_ = 0, next_ = 0;  // in marks_: the next mark and the one after
    RowSink* sink_ = nullptr;
    std::string held_;  // the line's bytes not yet handed on
    std::size_t from_ = 0;
};

}  // namespace leafwright
