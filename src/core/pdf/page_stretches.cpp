#include "core/pdf/page_stretches.h"

#include <string_view>
#include <utility>

namespace leafwright {

PageStretches::PageStretches(PaginatedPages& mine, std::unique_ptr<TextFileReader> helperReader,
                             std::size_t pagesPerStretch, std::size_t batchBytes, bool compress)
    : mine_(mine),
      helperReader_(std::move(helperReader)),
      helpers_(*helperReader_, mine),
      pageCount_(mine.pageCount()),
      pagesPerStretch_(std::max<std::size_t>(pagesPerStretch, 1)),
      helpersDeflater_(compress ? std::make_unique<Deflater>() : nullptr),
      stretches_((pageCount_ + pagesPerStretch_ - 1) / pagesPerStretch_,
                 [this](std::size_t stretch, SharedStretches::Output& output) {
                     makeStretch(stretch, output);
                 },
                 batchBytes) {}

void PageStretches::makeStretch(std::size_t stretch, SharedStretches::Output& output) {
    const auto put = [&](std::string_view bytes) { output.putBytes(bytes); };
    helpers_.skipToPages(firstPage(stretch), endPage(stretch));
    for (std::size_t page = firstPage(stretch); page < endPage(stretch); ++page) {
        // The stream length is the size of the data after the keyword's line end.
        const std::uint64_t length = helpers_.nextStreamLength();
        if (!helpersDeflater_ || length > FlateContent::kPartBytes) {
            // A page in parts is cut by the writer, which holds a part at a time.
            if (helpersDeflater_) output.putNumber(kContent);
            output.putNumber(length);
            helpers_.handContent(put);
            continue;
        }
        helpersContent_.clear();
        helpers_.handContent([&](std::string_view bytes) { helpersContent_.append(bytes); });
        const std::string_view data =
            std::string_view(helpersContent_).substr(kStreamKeywordLineEnd);
        const bool compressed = packWhole(*helpersDeflater_, data, helpersPacked_);
        const std::string_view bytes = compressed ? std::string_view(helpersPacked_) : data;
        output.putNumber(compressed ? kCompressed : kPlain);
        output.putNumber(bytes.size());
        output.putBytes(bytes);
    }
}

std::uint64_t PageStretches::nextStreamLength() {
    if (pagesWritten_ % pagesPerStretch_ == 0) {
        const std::size_t stretch = pagesWritten_ / pagesPerStretch_;
        making_ = stretches_.startStretch(stretch);
        if (making_) mine_.skipToPages(firstPage(stretch), endPage(stretch));
    }
    handed_ = making_ || !helpersDeflater_ ? kContent : stretches_.takeNumber();
    // For a page handed compressed, the size of what was handed.
    streamLength_ = making_ ? mine_.nextStreamLength() : stretches_.takeNumber();
    return streamLength_;
}

void PageStretches::writeContent(TextFileWriter& out) {
    handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
}

void PageStretches::handContent(const TakeContent& take) {
    if (making_)
        mine_.handContent(take);
    else
        stretches_.takeBytes(contentBytesOfStream(streamLength_), take);
    if (++pagesWritten_ == pageCount_) stretches_.finish();
}

}  // namespace leafwright

namespace leafwright {

void PageStretches::writeCompressedContent(FlateContent& flate, TextFileWriter& out,
                                           std::uint64_t number) {
    if (handed_ == kContent) {
        PageSequence::writeCompressedContent(flate, out, number);
        return;
    }
    std::string bytes;
    bytes.reserve(streamLength_);
    stretches_.takeBytes(streamLength_, [&](std::string_view piece) { bytes.append(piece); });
    flate.writePacked(out, number, bytes, handed_ == kCompressed);
    if (++pagesWritten_ == pageCount_) stretches_.finish();
}

}  // namespace leafwright
