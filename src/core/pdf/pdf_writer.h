#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/pdf/flate_content.h"
#include "core/pdf/page_content.h"
#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class DocumentFonts;

// The pages of a page-tree document, handed out one at a time so that a long
// document (or a long page) never has to be held whole.
class PageSequence {
  public:
    virtual ~PageSequence() = default;
    // Known before the first page is produced (the page tree lists them all
    // before the pages).
    virtual std::size_t pageCount() const = 0;
    // Moves on to the next page and returns the stream length of its
    // content. Called exactly pageCount() times.
    virtual std::uint64_t nextStreamLength() = 0;
    // Writes the content bytes of that page, as PageContent holds them.
    virtual void writeContent(TextFileWriter& out) = 0;
    // The same, handing them to take instead (one of the two, once a page).
    virtual void handContent(const TakeContent& take) = 0;
    // Or (in a compressed document) writes the page's content object
    // `number` through flate; a sequence that compressed the page already,
    // on another thread, writes what that gave.
    virtual void writeCompressedContent(FlateContent& flate, TextFileWriter& out,
                                        std::uint64_t number) {
        flate.writeContentObject(out, number,
                                 [this](const TakeContent& take) { handContent(take); });
    }
    // The content of the form that every page calls (PageFurniture::form),
    // or empty when the pages call none.
    virtual const std::string& furnitureForm() const {
        static const std::string none;
        return none;
    }
};

// Writes the whole single-page document: catalog 1, outlines 2, pages 3,
// page 4, content 5, procedure set 6, font 7, information 8, cross-reference
// table and trailer. handContent hands the page's content bytes as
// PageContent holds them: contentBytesOfStream(streamLength) of them.
// With fonts, the document is drawn with those embedded fonts: font 0 is
// /F1 at the standard font's number, the objects of the fonts follow the
// document's own, and the page's resources name them all.
// With settings.chosen.more.compress, the streams are compressed
// (FlateContent); the objects a long page's parts add follow the fonts'.
void writeSinglePagePdf(TextFileWriter& out, const ConversionSettings& settings,
                        std::uint64_t streamLength, const HandContent& handContent,
                        const DocumentFonts* fonts = nullptr);

// Writes the page-tree document: catalog 1, outlines 2, procedure set 3,
// font 4, information 5, root of the page tree 6, and for page k its own
// page-tree node 7+3k, page 8+3k and content 9+3k; then the cross-reference
// table and trailer. Any number of pages, at least one. With fonts, drawn
// with embedded fonts as above, every page naming them all; compressed as
// above. A furniture form, when the pages call one, follows the fonts'
// objects (and comes before those of compressing).
void writePageTreePdf(TextFileWriter& out, const ConversionSettings& settings, PageSequence& pages,
                      const DocumentFonts* fonts = nullptr);

}  // namespace leafwright
