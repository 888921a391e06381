// Reads arbitrary bytes as a PDF through its objects, as Unspool reads a
// compressed PDF: the cross-reference table or stream, the page tree, each
// page's content streams (inflated, with their predictors) through the
// filter, the fonts' text maps, and the outline. Whatever the bytes, it
// must end with text or with one of the reader's own errors, never a crash,
// a sanitizer report or another exception. (The text itself is left
// unwritten: the filter's output is checked by unspool_filter_fuzz.)

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/compression/inflater.h"
#include "core/platform/file_error.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/plustools/document_outline.h"
#include "core/plustools/line_feeder.h"
#include "core/plustools/page_content_reader.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/unspool_filter.h"
#include "work_folder.h"

namespace {

void writeWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = leafwright::fuzzing::workFolder("pdf-document");
    const std::string input = folder + "/input.pdf", output = folder + "/output.txt";
    // The output is never committed: it leaves nothing behind.
    writeWhole(input, data, size);
    try {
        leafwright::TextFileReader reader(input);
        leafwright::PdfDocument document(reader);
        leafwright::readOutline(document);
        leafwright::TextFileWriter writer(output);
        leafwright::UnspoolFilter filter;
        leafwright::LineFeeder feeder(filter, writer);
        // Read on one thread or, for odd sizes, on two.
        leafwright::FilterSink sink(filter, feeder);
        leafwright::readAllPages(document, sink, 1 + size % 2);
        feeder.finish();
    } catch (const leafwright::PdfStructureError&) {
    } catch (const leafwright::PdfSyntaxError&) {
    } catch (const leafwright::CompressedDataError&) {
    } catch (const leafwright::FileError&) {
    }
    return 0;
}
