#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/pdf/pdf_writer.h"
#include "core/run/content_pipe.h"
#include "core/run/helper_thread.h"

namespace leafwright {

// The pages of a sequence made on a thread of their own while the calling
// thread writes them: each page's stream length and content travel through
// a ContentPipe (a few batches at most, whatever the document's size), so
// the next pages are made while the writer copies this one into the file.
// For a document whose pages one thread must make in order (lines drawn
// with tab stops or embedded fonts, or cut into rows), the second core
// takes the writing.
//
// The wrapped sequence is used by the making thread alone from the
// constructor on, and is free again once the last page was taken (the
// thread has ended then, so what the pages taught the fonts can be
// written). What the making fails with is thrown by the call that would
// have taken its page. When no thread can be had, the pages are made on
// the calling thread, as by the wrapped sequence itself.
class MadeAheadPages : public PageSequence {
  public:
    explicit MadeAheadPages(PageSequence& pages);
    // Stops the making (at its next page) when pages are left.
    ~MadeAheadPages() override;
    MadeAheadPages(const MadeAheadPages&) = delete;
    MadeAheadPages& operator=(const MadeAheadPages&) = delete;

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    void writeContent(TextFileWriter& out) override;
    void handContent(const TakeContent& take) override;
    const std::string& furnitureForm() const override { return form_; }
    // Whether a thread of their own made the pages.
    bool onTwoThreads() const noexcept { return making_ && making_->started(); }

  private:
    void make();
    void takeContent(const TakeContent& take);

    PageSequence& pages_;
    const std::size_t pageCount_;
    // Asked for before the pages are made, and the same all along.
    const std::string& form_;
    ContentPipe pipe_;
    std::size_t taken_ = 0;                 // pages whose content was taken
    std::unique_ptr<HelperThread> making_;  // last: it ends before the rest goes
};

}  // namespace leafwright
