#include "core/plustools/pdf_document.h"

#include <unordered_set>
#include <vector>

namespace leafwright {

namespace {

// References followed one after another before a value is given up as null.
constexpr int kMaxReferenceChain = 32;
// Nodes of the page tree above a page, and the kids they hold together.
constexpr std::size_t kMaxTreeDepth = 64;
constexpr std::size_t kMaxHeldKids = 1 << 20;
// The most a stream given whole (at most StreamDecoder::kMostWholeBytes) may
// inflate to: eight times its size, more than text content compresses by.
constexpr std::size_t kWholeOutputLimit = 8 << 20;

}  // namespace

PdfDocument::PdfDocument(TextFileReader& reader)
    : file_(reader), crossReference_(file_), whole_(kWholeOutputLimit) {}

PdfObject PdfDocument::object(PdfReference reference) {
    const CrossReference::Entry entry = crossReference_.find(reference.number);
    if (entry.kind == CrossReference::Entry::Kind::InObjectStream)
        throw PdfStructureError("its objects are in compressed object streams");
    if (entry.kind != CrossReference::Entry::Kind::InFile) return {};
    PdfFile::IndirectObject found = file_.objectAt(entry.offset);
    if (found.reference.number != reference.number)
        throw PdfStructureError("object " + std::to_string(reference.number) +
                                " is not where its cross-reference table says");
    return std::move(found.value);
}

PdfObject PdfDocument::resolve(const PdfObject& value) {
    if (!value.isReference()) return value;
    PdfObject resolved = object(value.referenceValue());
    for (int step = 0; resolved.isReference(); ++step) {
        if (step == kMaxReferenceChain) return {};
        resolved = object(resolved.referenceValue());
    }
    return resolved;
}

std::optional<PdfStream> PdfDocument::stream(const PdfObject& value) {
    if (!value.isReference()) return std::nullopt;
    const CrossReference::Entry entry = crossReference_.find(value.referenceValue().number);
    if (entry.kind == CrossReference::Entry::Kind::InObjectStream)
        throw PdfStructureError("its objects are in compressed object streams");
    if (entry.kind != CrossReference::Entry::Kind::InFile) return std::nullopt;
    PdfFile::IndirectObject found = file_.objectAt(entry.offset);
    if (!found.streamData) return std::nullopt;
    PdfStream stream;
    stream.reference = found.reference;
    stream.dictionary = std::move(found.value);
    stream.data = *found.streamData;
    if (const PdfObject* length = stream.dictionary.find("Length")) {
        // An indirect length names an object that is no stream itself.
        const PdfObject value = length->isReference() ? resolve(*length) : *length;
        if (auto bytes = value.integerValue(); bytes && *bytes >= 0)
            stream.length = static_cast<std::uint64_t>(*bytes);
    }
    return stream;
}

void PdfDocument::decode(const PdfStream& stream, const StreamEncoding& encoding,
                         const StreamDecoder::Output& out) {
    StreamDecoder decoder(encoding, out, &whole_);
    file_.decodeStreamData(stream.data, stream.length, decoder);
}

void PdfDocument::forEachContentStream(const PdfPage& page,
                                       const std::function<void(const PdfStream& stream)>& visit,
                                       const std::function<void(std::uint32_t object)>& missing) {
    const PdfObject* contents = page.dictionary.find("Contents");
    if (contents == nullptr) return;
    const auto noStream = [&missing](const PdfObject& value) {
        if (missing) missing(value.isReference() ? value.referenceValue().number : 0);
    };
    if (std::optional<PdfStream> one = stream(*contents)) {
        visit(*one);
        return;
    }
    const PdfObject list = resolve(*contents);
    if (!list.isArray()) {
        // A direct null is no content at all; a reference to nothing is a
        // stream lost.
        if (contents->isReference() || !list.isNull()) noStream(*contents);
        return;
    }
    for (const PdfObject& item : list.items()) {
        if (std::optional<PdfStream> each = stream(item))
            visit(*each);
        else
            noStream(item);
    }
}

void PdfDocument::forEachPage(const std::function<bool(const PdfPage& page)>& visit) {
    const PdfObject catalog = resolve(*crossReference_.trailer().find("Root"));
    const PdfObject* root = catalog.find("Pages");
    if (root == nullptr) throw PdfStructureError("its document catalog names no pages");

    struct Node {
        std::vector<PdfObject> kids;
        std::size_t next = 0;
        PdfObject resources;
    };
    std::vector<Node> path;
    std::unordered_set<std::uint32_t> seen;  // tree nodes and pages: a loop ends at a repeat
    std::size_t heldKids = 0;
    passedOver_ = 0;
    // A node of the tree: its kids are visited next, or it is a page.
    auto enter = [&](const PdfObject& value, const PdfObject& inherited) {
        if (value.isReference() && !seen.insert(value.referenceValue().number).second) {
            ++passedOver_;
            return true;
        }
        PdfObject node = resolve(value);
        if (!node.isDictionary()) {
            ++passedOver_;
            return true;
        }
        const PdfObject* resources = node.find("Resources");
        PdfObject own = resources != nullptr ? resolve(*resources) : inherited;
        const PdfObject* type = node.find("Type");
        const PdfObject* kids = node.find("Kids");
        if (kids != nullptr && !(type != nullptr && type->isName("Page"))) {
            PdfObject list = resolve(*kids);
            if (path.size() == kMaxTreeDepth) throw PdfStructureError("its page tree is too deep");
            heldKids += list.items().size();
            if (heldKids > kMaxHeldKids) throw PdfStructureError("its page tree is too large");
            path.push_back(Node{list.items(), 0, std::move(own)});
            return true;
        }
        return visit(PdfPage{value.referenceValue(), std::move(node), std::move(own)});
    };
    if (!enter(*root, PdfObject())) return;
    while (!path.empty()) {
        Node& node = path.back();
        if (node.next == node.kids.size()) {
            heldKids -= node.kids.size();
            path.pop_back();
            continue;
        }
        const PdfObject kid = node.kids[node.next++];
        const PdfObject inherited = node.resources;
        if (!enter(kid, inherited)) return;
    }
}

}  // namespace leafwright
