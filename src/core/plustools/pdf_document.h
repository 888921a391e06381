#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/deflate/whole_inflater.h"
#include "core/plustools/cross_reference.h"
#include "core/plustools/pdf_file.h"
#include "core/plustools/pdf_object.h"
#include "core/plustools/stream_decoder.h"

namespace leafwright {

class TextFileReader;

// A page as the page tree gives it: its object, and the resources it has or
// inherits from the tree's nodes above it.
struct PdfPage {
    PdfReference reference;
    PdfObject dictionary;
    PdfObject resources;  // a dictionary, or null
};

// A stream object: its dictionary and where its data stands.
struct PdfStream {
    PdfReference reference;
    PdfObject dictionary;
    std::uint64_t data = 0;
    std::optional<std::uint64_t> length;  // /Length, direct or indirect
};

// A PDF read through its cross-reference table: its objects by reference,
// its streams decoded, its pages in order. Objects are read when they are
// asked for, one at a time, never all at once.
class PdfDocument {
  public:
    // Throws PdfStructureError or PdfSyntaxError when the objects cannot be
    // found.
    explicit PdfDocument(TextFileReader& reader);

    PdfFile& file() noexcept { return file_; }
    const CrossReference& crossReference() const noexcept { return crossReference_; }

    // The object a reference names; null when the file has none by that
    // number (as PDF reads a reference to a missing object). Throws
    // PdfStructureError or PdfSyntaxError when it cannot be read.
    PdfObject object(PdfReference reference);
    // The value, or the object it names when it is a reference.
    PdfObject resolve(const PdfObject& value);
    PdfResolver resolver() {
        return [this](const PdfObject& value) { return resolve(value); };
    }
    // The stream a reference names; nothing when it names no stream.
    std::optional<PdfStream> stream(const PdfObject& value);
    // Decodes a stream's data, handing the bytes to `out` as they come.
    // Throws CompressedDataError on data that is not what its filter makes.
    void decode(const PdfStream& stream, const StreamEncoding& encoding,
                const StreamDecoder::Output& out);

    // Visits a page's content streams in the order they are read: its
    // /Contents stream, or those of its /Contents array. A value that names
    // no stream (a missing object, a damaged one) is left out and handed to
    // `missing`, with the number of the object it names (0 for a direct
    // value).
    void forEachContentStream(const PdfPage& page,
                              const std::function<void(const PdfStream& stream)>& visit,
                              const std::function<void(std::uint32_t object)>& missing = {});

    // Visits the pages in order until the visitor returns false. Throws
    // PdfStructureError or PdfSyntaxError when the page tree cannot be read.
    // A node the tree names twice, or one that is no dictionary, is passed
    // over and counted.
    void forEachPage(const std::function<bool(const PdfPage& page)>& visit);
    // The nodes the last forEachPage passed over.
    std::uint64_t pageTreeNodesPassedOver() const noexcept { return passedOver_; }

  private:
    PdfFile file_;
    CrossReference crossReference_;
    // Inflates most content streams, which are small, for decode.
    WholeInflater whole_;
    std::uint64_t passedOver_ = 0;
};

}  // namespace leafwright
