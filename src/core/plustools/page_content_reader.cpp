#include "core/plustools/page_content_reader.h"

#include "core/compression/inflater.h"
#include "core/platform/file_error.h"
#include "core/plustools/line_feeder.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/unspool_filter.h"
#include "core/run/run_control.h"

namespace leafwright {

void FilterSink::beginPage(std::uint64_t index, std::shared_ptr<const FontTextMaps> fonts) {
    if (index > 0) filter_.endPage();
    if (beforePage_) beforePage_(index);
    fonts_ = std::move(fonts);
    // A page's content starts with no font chosen.
    filter_.useFonts(fonts_.get());
}

void FilterSink::content(std::string_view bytes) {
    feeder_.block(bytes);
}

void FilterSink::endStream() {
    feeder_.endStream();
}

PageContentReader::PageContentReader(PdfDocument& document, PageContentSink& sink)
    : document_(document), sink_(sink), maps_(document) {}

void PageContentReader::readPage(const PdfPage& page, std::uint64_t index) {
    sink_.beginPage(index, maps_.forResources(page.resources));
    bool unread = false;
    // The page's text is left out; the first reason in the document is told.
    const auto leftOut = [&](const auto& reason) {
        unread = true;
        if (unreadReason_.empty()) unreadReason_ = reason();
    };
    const auto missing = [&](std::uint32_t object) {
        leftOut([&] {
            return "the content of page " + std::to_string(index + 1) +
                   (object > 0 ? " (object " + std::to_string(object) + ")" : "") +
                   " is missing or damaged";
        });
    };
    document_.forEachContentStream(
        page,
        [&](const PdfStream& stream) {
            const StreamEncoding encoding =
                streamEncodingOf(stream.dictionary, document_.resolver());
            if (encoding.kind == StreamEncoding::Kind::Unreadable) {
                leftOut([&] { return "its page content uses " + encoding.unreadable; });
                return;
            }
            try {
                document_.decode(stream, encoding, [this](std::string_view bytes) {
                    throwIfRunCancelled();
                    sink_.content(bytes);
                });
            } catch (const CompressedDataError& error) {
                throw FileError(document_.file().path(),
                                "the content of page " + std::to_string(index + 1) + " (object " +
                                    std::to_string(stream.reference.number) +
                                    ") cannot be decoded: " + error.what());
            }
            sink_.endStream();
        },
        missing);
    if (unread) ++pagesUnread_;
}

}  // namespace leafwright
