#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/plustools/pdf_object.h"

namespace leafwright {

class PdfDocument;

// One item of a document's outline (a bookmark): its title in UTF-8 and the
// page it leads to, when it leads to a page of the document.
struct OutlineItem {
    std::string title;
    std::optional<PdfReference> page;
};

// The top-level items of the document's outline (/Outlines, its /First item
// and each one's /Next), in order, at most kMaxOutlineItems. An item leads
// to a page by its /Dest or a /GoTo action's /D: an explicit destination
// (an array whose first item is the page), or a named one found in the
// catalog's /Dests or its /Names /Dests tree. Throws PdfStructureError or
// PdfSyntaxError when the outline cannot be read.
inline constexpr std::size_t kMaxOutlineItems = 100000;
std::vector<OutlineItem> readOutline(PdfDocument& document);

}  // namespace leafwright
