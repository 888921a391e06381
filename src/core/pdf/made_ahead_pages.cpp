#include "core/pdf/made_ahead_pages.h"

#include <exception>

#include "core/platform/text_file_writer.h"

namespace leafwright {

namespace {

// After a page's stream length, the pipe carries its content as pieces,
// each its length then its bytes, up to this mark.
constexpr std::uint64_t kContentEnd = ~std::uint64_t{0};

}  // namespace

MadeAheadPages::MadeAheadPages(PageSequence& pages)
    : pages_(pages), pageCount_(pages.pageCount()), form_(pages.furnitureForm()) {
    making_ = std::make_unique<HelperThread>([this] { make(); });
}

MadeAheadPages::~MadeAheadPages() {
    // A writer that gave up (its file failed, the run was cancelled) leaves
    // pages untaken: the making stops at its next one.
    pipe_.abandon();
}

void MadeAheadPages::make() {
    try {
        for (std::size_t page = 0; page < pageCount_; ++page) {
            pipe_.putNumber(pages_.nextStreamLength());
            pages_.handContent([this](std::string_view bytes) {
                if (bytes.empty()) return;
                pipe_.putNumber(bytes.size());
                pipe_.putBytes(bytes);
            });
            pipe_.putNumber(kContentEnd);
        }
        pipe_.close();
    } catch (const ContentPipe::Abandoned&) {
        pipe_.close();
    } catch (...) {
        pipe_.close(std::current_exception());
    }
}

std::uint64_t MadeAheadPages::nextStreamLength() {
    if (!onTwoThreads()) return pages_.nextStreamLength();
    return pipe_.takeNumber();
}

void MadeAheadPages::takeContent(const TakeContent& take) {
    for (std::uint64_t length = pipe_.takeNumber(); length != kContentEnd;
         length = pipe_.takeNumber())
        pipe_.takeBytes(length, take);
    // After the last page the making side only closes the pipe; once its
    // thread has ended, the sequence and the fonts are the caller's again.
    if (++taken_ == pageCount_) making_->join();
}

void MadeAheadPages::writeContent(TextFileWriter& out) {
    if (!onTwoThreads()) {
        pages_.writeContent(out);
        return;
    }
    takeContent([&out](std::string_view bytes) { out.writeRaw(bytes); });
}

void MadeAheadPages::handContent(const TakeContent& take) {
    if (!onTwoThreads()) {
        pages_.handContent(take);
        return;
    }
    takeContent(take);
}

}  // namespace leafwright
