#include "core/plustools/document_outline.h"

#include <unordered_set>

#include "core/plustools/cross_reference.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/pdf_text_string.h"

namespace leafwright {

namespace {

// How deep a name tree and a chain of destinations may go.
constexpr int kMaxDepth = 32;
// Titles are cut here (a file name has at most 255 bytes).
constexpr std::size_t kMaxTitleBytes = 1024;

PdfObject entryOf(PdfDocument& document, const PdfObject& dictionary, std::string_view key) {
    const PdfObject* value = dictionary.find(key);
    return value == nullptr ? PdfObject() : document.resolve(*value);
}

// The value a name tree gives the key, or null.
PdfObject findInNameTree(PdfDocument& document, const PdfObject& node, const std::string& key,
                         int depth) {
    if (depth > kMaxDepth || !node.isDictionary()) return {};
    const PdfObject names = entryOf(document, node, "Names");
    for (std::size_t k = 0; k + 1 < names.items().size(); k += 2) {
        const PdfObject name = document.resolve(names.items()[k]);
        if (name.text() == key) return document.resolve(names.items()[k + 1]);
    }
    const PdfObject kids = entryOf(document, node, "Kids");
    for (const PdfObject& kid : kids.items()) {
        const PdfObject child = document.resolve(kid);
        const PdfObject limits = entryOf(document, child, "Limits");
        if (limits.items().size() == 2) {
            const std::string& low = document.resolve(limits.items()[0]).text();
            const std::string& high = document.resolve(limits.items()[1]).text();
            if (key < low || key > high) continue;
        }
        PdfObject found = findInNameTree(document, child, key, depth + 1);
        if (!found.isNull()) return found;
    }
    return {};
}

// The page a destination leads to: an array [page ...], a dictionary whose
// /D is one, or a name or string of a named destination.
std::optional<PdfReference> pageOf(PdfDocument& document, const PdfObject& catalog,
                                   const PdfObject& destination, int depth) {
    if (depth > kMaxDepth) return std::nullopt;
    const PdfObject value = document.resolve(destination);
    if (value.isArray()) {
        if (value.items().empty() || !value.items().front().isReference()) return std::nullopt;
        return value.items().front().referenceValue();
    }
    if (value.isDictionary())
        if (const PdfObject* inner = value.find("D"))
            return pageOf(document, catalog, *inner, depth + 1);
    if (value.isName()) {
        const PdfObject dests = entryOf(document, catalog, "Dests");
        if (const PdfObject* named = dests.find(value.text()))
            return pageOf(document, catalog, *named, depth + 1);
    }
    if (value.isString()) {
        const PdfObject tree = entryOf(document, entryOf(document, catalog, "Names"), "Dests");
        const PdfObject named = findInNameTree(document, tree, value.text(), 0);
        if (!named.isNull()) return pageOf(document, catalog, named, depth + 1);
    }
    return std::nullopt;
}

}  // namespace

std::vector<OutlineItem> readOutline(PdfDocument& document) {
    const PdfObject catalog = document.resolve(*document.crossReference().trailer().find("Root"));
    const PdfObject outlines = entryOf(document, catalog, "Outlines");
    std::vector<OutlineItem> items;
    std::unordered_set<std::uint32_t> seen;  // a loop of /Next ends at a repeat
    const PdfObject* first = outlines.find("First");
    PdfObject next = first != nullptr ? *first : PdfObject();
    while (next.isReference() && items.size() < kMaxOutlineItems &&
           seen.insert(next.referenceValue().number).second) {
        const PdfObject item = document.resolve(next);
        if (!item.isDictionary()) break;
        OutlineItem outlineItem;
        outlineItem.title = pdfTextStringToUtf8(entryOf(document, item, "Title").text());
        // Enough for any file name and for a message; no more is kept.
        if (outlineItem.title.size() > kMaxTitleBytes) outlineItem.title.resize(kMaxTitleBytes);
        if (const PdfObject* destination = item.find("Dest")) {
            outlineItem.page = pageOf(document, catalog, *destination, 0);
        } else {
            const PdfObject action = entryOf(document, item, "A");
            if (action.find("S") != nullptr && action.find("S")->isName("GoTo"))
                if (const PdfObject* target = action.find("D"))
                    outlineItem.page = pageOf(document, catalog, *target, 0);
        }
        items.push_back(std::move(outlineItem));
        const PdfObject* following = item.find("Next");
        next = following != nullptr ? *following : PdfObject();
    }
    return items;
}

}  // namespace leafwright
