#include "core/plustools/page_content_reader.h"

#include "core/compression/inflater.h"
#include "core/platform/file_error.h"
#include "core/platform/run_control.h"
#include "core/plustools/line_feeder.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/unspool_filter.h"

namespace leafwright {

PageContentReader::PageContentReader(PdfDocument& document, UnspoolFilter& filter,
                                     LineFeeder& feeder)
    : document_(document), filter_(filter), feeder_(feeder), maps_(document) {}

void PageContentReader::readPage(const PdfPage& page, std::uint64_t pageNumber) {
    // A page's content starts with no font chosen.
    filter_.useFonts(&maps_.forResources(page.resources));
    bool unread = false;
    for (const PdfObject& content : document_.contentStreams(page)) {
        const std::optional<PdfStream> stream = document_.stream(content);
        if (!stream) continue;
        const StreamEncoding encoding = streamEncodingOf(stream->dictionary, document_.resolver());
        if (encoding.kind == StreamEncoding::Kind::Unreadable) {
            unread = true;
            if (unreadReason_.empty())
                unreadReason_ = "its page content uses " + encoding.unreadable;
            continue;
        }
        try {
            document_.decode(*stream, encoding, [this](std::string_view bytes) {
                throwIfRunCancelled();
                feeder_.block(bytes);
            });
        } catch (const CompressedDataError& error) {
            throw FileError(document_.file().path(), "the content of page " +
                                                         std::to_string(pageNumber) + " (object " +
                                                         std::to_string(stream->reference.number) +
                                                         ") cannot be decoded: " + error.what());
        }
        feeder_.endStream();
    }
    if (unread) ++pagesUnread_;
}

}  // namespace leafwright
