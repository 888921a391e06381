#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "core/plustools/font_map_scan.h"
#include "core/plustools/pdf_object.h"
#include "core/plustools/to_unicode_map.h"

namespace leafwright {

class PdfDocument;

// The text maps of the fonts a page's resources name, read from the document
// as the pages need them: each font and each /ToUnicode stream (plain,
// FlateDecode or ASCIIHexDecode) is read once for the whole document, within
// the limits of text_map_limits.h. A map under a filter that cannot be read
// is no map: its font's codes are taken byte for byte.
class PageTextMaps {
  public:
    explicit PageTextMaps(PdfDocument& document) : document_(document) {}

    // The maps by resource name. Throws PdfStructureError, PdfSyntaxError
    // or CompressedDataError when a font or its map cannot be read. The
    // maps are never changed once read, so another thread may use them.
    std::shared_ptr<const FontTextMaps> forResources(const PdfObject& resources);

  private:
    std::shared_ptr<const ToUnicodeMap> mapOfFont(const PdfObject& font);
    std::shared_ptr<const ToUnicodeMap> readMap(const PdfObject& value);

    PdfDocument& document_;
    std::map<std::uint32_t, std::shared_ptr<const ToUnicodeMap>> byFont_;
    std::map<std::uint32_t, std::shared_ptr<const ToUnicodeMap>> byStream_;
    std::size_t entries_ = 0;
};

// Whether reading the page content needs the document's structure: a
// content stream of some page has a /Filter, or a text map of its fonts one
// that is not ASCIIHexDecode (which the line-by-line reading reads itself).
bool pageContentIsFiltered(PdfDocument& document);

}  // namespace leafwright
