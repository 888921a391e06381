// readAllPages: the pages read on the calling thread, or on a thread of
// their own that hands their content over through a pipe.

#include <deque>
#include <mutex>
#include <optional>

#include "core/plustools/page_content_reader.h"
#include "core/plustools/pdf_document.h"
#include "core/run/content_pipe.h"
#include "core/run/helper_thread.h"

namespace leafwright {

namespace {

// The numbers of the pipe: a piece's length, or one of these marks.
constexpr std::uint64_t kPageStart = ~std::uint64_t{0};
constexpr std::uint64_t kStreamEnd = kPageStart - 1;
constexpr std::uint64_t kPagesEnd = kPageStart - 2;

PagesRead readOnThisThread(PdfDocument& document, PageContentSink& sink) {
    PagesRead read;
    PageContentReader reader(document, sink);
    document.forEachPage([&](const PdfPage& page) {
        reader.readPage(page, read.pages++);
        return true;
    });
    read.pagesUnread = reader.pagesUnread();
    read.unreadReason = reader.unreadReason();
    return read;
}

// The reading side's sink: every event into the pipe, each page's maps into
// a queue of their own that the other side takes from in the same order.
class PipeSink final : public PageContentSink {
  public:
    explicit PipeSink(ContentPipe& pipe) : pipe_(pipe) {}

    void beginPage(std::uint64_t index, std::shared_ptr<const FontTextMaps> fonts) override {
        {
            std::lock_guard lock(mutex_);
            fonts_.push_back(std::move(fonts));
        }
        pipe_.putNumber(kPageStart);
        pipe_.putNumber(index);
    }
    void content(std::string_view bytes) override {
        pipe_.putNumber(bytes.size());
        pipe_.putBytes(bytes);
    }
    void endStream() override { pipe_.putNumber(kStreamEnd); }

    std::shared_ptr<const FontTextMaps> takeFonts() {
        std::lock_guard lock(mutex_);
        std::shared_ptr<const FontTextMaps> fonts = std::move(fonts_.front());
        fonts_.pop_front();
        return fonts;
    }

  private:
    ContentPipe& pipe_;
    std::mutex mutex_;
    std::deque<std::shared_ptr<const FontTextMaps>> fonts_;
};

}  // namespace

PagesRead readAllPages(PdfDocument& document, PageContentSink& sink, unsigned threads) {
    if (threads < 2) return readOnThisThread(document, sink);
    ContentPipe pipe;
    PipeSink pipeSink(pipe);
    PagesRead read;
    std::optional<HelperThread> reading;
    reading.emplace([&] {
        try {
            read = readOnThisThread(document, pipeSink);
            pipe.putNumber(kPagesEnd);
            pipe.close();
        } catch (const ContentPipe::Abandoned&) {
            pipe.close();
        } catch (...) {
            pipe.close(std::current_exception());
        }
    });
    // No thread to be had: the pages are read here.
    if (!reading->started()) return readOnThisThread(document, sink);
    try {
        for (std::uint64_t number = pipe.takeNumber(); number != kPagesEnd;
             number = pipe.takeNumber()) {
            if (number == kPageStart) {
                const std::uint64_t index = pipe.takeNumber();
                sink.beginPage(index, pipeSink.takeFonts());
            } else if (number == kStreamEnd) {
                sink.endStream();
            } else {
                pipe.takeBytes(number, [&](std::string_view bytes) { sink.content(bytes); });
            }
        }
    } catch (...) {
        // The reading side stops at its next put; what it failed with, if
        // anything, matters less than what stopped this side.
        pipe.abandon();
        reading.reset();
        throw;
    }
    pipe.awaitClose();
    reading->join();
    return read;
}

}  // namespace leafwright
