#include "core/plustools/cross_reference.h"

#include <algorithm>
#include <set>

#include "core/plustools/pdf_file.h"
#include "core/plustools/stream_decoder.h"

namespace leafwright {

namespace {

constexpr std::uint64_t kFree = 1ull << 62;
constexpr std::uint64_t kInFile = 2ull << 62;
constexpr std::uint64_t kInObjectStream = 3ull << 62;
constexpr std::uint64_t kValueBits = (1ull << 62) - 1;

// "startxref" stands within this much of the file's end.
constexpr std::size_t kTailBytes = 16 << 10;
constexpr std::size_t kTableWindow = 64 << 10;
// Sections a file may chain through /Prev.
constexpr std::size_t kMaxSections = 1024;
constexpr std::string_view kStartXref = "startxref";

}  // namespace

CrossReference::CrossReference(PdfFile& file) : file_(file) {
    std::set<std::uint64_t> seen;
    std::vector<std::uint64_t> pending = {startOffset()};
    while (!pending.empty()) {
        const std::uint64_t offset = pending.back();
        pending.pop_back();
        // A /Prev that leads back to a section read already ends the chain.
        if (!seen.insert(offset).second || seen.size() > kMaxSections) continue;
        const PdfObject trailer = readSection(offset);
        if (seen.size() == 1) trailer_ = trailer;
        takeTrailer(trailer);
        if (const PdfObject* previous = trailer.find("Prev")) {
            if (auto value = previous->integerValue(); value && *value >= 0)
                pending.push_back(static_cast<std::uint64_t>(*value));
        }
    }
    if (trailer_.find("Root") == nullptr)
        throw PdfStructureError("its trailer names no document catalog");
}

std::uint64_t CrossReference::startOffset() {
    const std::uint64_t size = file_.size();
    const std::uint64_t from = size > kTailBytes ? size - kTailBytes : 0;
    const std::string tail = file_.bytesAt(from, kTailBytes);
    const std::size_t at = tail.rfind(kStartXref);
    if (at == std::string::npos) throw PdfStructureError("it has no cross-reference table");
    try {
        PdfParser parser(tail, at + kStartXref.size());
        if (auto offset = parser.unsignedInteger(); offset && *offset < size) return *offset;
    } catch (const PdfSyntaxError&) {
    }
    throw PdfStructureError("its cross-reference table cannot be found");
}

void CrossReference::set(std::uint64_t number, std::uint64_t packed) {
    if (number >= kMaxObjects) return;
    if (number >= entries_.size()) entries_.resize(number + 1, 0);
    // The newest section is read first: an entry already there wins.
    if (entries_[number] == 0) entries_[number] = packed;
}

void CrossReference::takeTrailer(const PdfObject& trailer) {
    if (!trailer.isDictionary()) return;
    // An older trailer fills in what the newer ones lack.
    PdfObject::Entries entries = trailer_.entries();
    for (const char* key : {"Root", "Encrypt", "Info"})
        if (trailer_.find(key) == nullptr)
            if (const PdfObject* value = trailer.find(key)) entries.emplace_back(key, *value);
    trailer_ = PdfObject::dictionary(std::move(entries));
}

CrossReference::Entry CrossReference::find(std::uint32_t number) const noexcept {
    if (number >= entries_.size() || entries_[number] == 0) return {};
    const std::uint64_t packed = entries_[number];
    const std::uint64_t kind = packed & ~kValueBits;
    if (kind == kInFile) return {Entry::Kind::InFile, packed & kValueBits};
    if (kind == kInObjectStream) return {Entry::Kind::InObjectStream, 0};
    return {Entry::Kind::Free, 0};
}

PdfObject CrossReference::readSection(std::uint64_t offset) {
    const std::string head = file_.bytesAt(offset, 32);
    std::size_t at = 0;
    while (at < head.size() && (head[at] == ' ' || head[at] == '\r' || head[at] == '\n')) ++at;
    if (std::string_view(head).substr(at, 4) == "xref") return readTable(offset + at);
    return readStream(offset);
}

// A classic table: subsections of "first count" and that many entries of
// "offset generation n|f", then "trailer" and its dictionary. It is read in
// windows, so a table of any length takes little memory but its entries.
PdfObject CrossReference::readTable(std::uint64_t offset) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> table;
    std::uint64_t base = offset;
    std::string window = file_.bytesAt(base, kTableWindow);
    PdfParser parser(window);
    std::uint64_t next = 0, left = 0;  // the subsection being read
    bool started = false;
    for (;;) {
        const std::size_t stepStart = parser.position();
        try {
            if (!started) {
                if (!parser.keyword("xref"))
                    throw PdfStructureError("its cross-reference table is damaged");
                started = true;
                continue;
            }
            if (left > 0) {
                if (const auto entryOffset = parser.unsignedInteger()) {
                    const auto generation = parser.unsignedInteger();
                    const bool inUse = generation && parser.keyword("n");
                    if (!generation || (!inUse && !parser.keyword("f")))
                        throw PdfStructureError("its cross-reference table is damaged");
                    // In use at offset 0: some writers' way of saying free.
                    const bool found = inUse && *entryOffset > 0 && *entryOffset < file_.size();
                    table.emplace_back(next, found ? kInFile | *entryOffset : kFree);
                    ++next;
                    --left;
                    continue;
                }
                left = 0;  // fewer entries than the subsection counted
            }
            if (parser.keyword("trailer")) break;
            const auto first = parser.unsignedInteger();
            const auto count = first ? parser.unsignedInteger() : std::nullopt;
            if (!count) throw PdfStructureError("its cross-reference table is damaged");
            next = *first;
            left = *count;
        } catch (const PdfSyntaxError& error) {
            if (!error.cutShort() || base + window.size() >= file_.size() || stepStart == 0)
                throw PdfStructureError("its cross-reference table is cut short");
            // The step goes again from its start, in the next window.
            base += stepStart;
            window = file_.bytesAt(base, kTableWindow);
            parser = PdfParser(window);
        }
        if (table.size() > kMaxObjects)
            throw PdfStructureError("its cross-reference table is too large");
    }
    const PdfObject trailer = file_.valueAt(base + parser.position());
    if (!trailer.isDictionary()) throw PdfStructureError("its trailer is damaged");
    // A hybrid file's stream of the objects an older reader is not to see:
    // its entries come before those of the table.
    if (const PdfObject* stream = trailer.find("XRefStm"))
        if (auto at = stream->integerValue();
            at && *at >= 0 && static_cast<std::uint64_t>(*at) < file_.size())
            readStream(static_cast<std::uint64_t>(*at));
    for (const auto& [number, packed] : table) set(number, packed);
    return trailer;
}

// A cross-reference stream: rows of /W widths (type, field, field) for the
// objects /Index names, its dictionary the trailer.
PdfObject CrossReference::readStream(std::uint64_t offset) {
    PdfFile::IndirectObject object = file_.objectAt(offset);
    const PdfObject& dictionary = object.value;
    if (!object.streamData || !dictionary.find("Type") || !dictionary.find("Type")->isName("XRef"))
        throw PdfStructureError("its cross-reference table cannot be found");
    int widths[3] = {0, 0, 0};
    const PdfObject* w = dictionary.find("W");
    if (w == nullptr || w->items().size() != 3)
        throw PdfStructureError("its cross-reference stream is damaged");
    for (int k = 0; k < 3; ++k) {
        const auto width = w->items()[k].integerValue();
        if (!width || *width < 0 || *width > 8)
            throw PdfStructureError("its cross-reference stream is damaged");
        widths[k] = static_cast<int>(*width);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(widths[0] + widths[1] + widths[2]);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;  // first, count
    if (const PdfObject* index = dictionary.find("Index")) {
        for (std::size_t k = 0; k + 1 < index->items().size(); k += 2) {
            const auto first = index->items()[k].integerValue();
            const auto count = index->items()[k + 1].integerValue();
            if (first && count && *first >= 0 && *count >= 0)
                ranges.emplace_back(static_cast<std::uint64_t>(*first),
                                    static_cast<std::uint64_t>(*count));
        }
    } else if (const PdfObject* size = dictionary.find("Size")) {
        ranges.emplace_back(0, static_cast<std::uint64_t>(
                                   std::max<std::int64_t>(0, size->integerValue().value_or(0))));
    }
    if (rowBytes == 0 || ranges.empty()) return dictionary;

    const StreamEncoding encoding =
        streamEncodingOf(dictionary, [](const PdfObject& value) { return value; });
    if (encoding.kind == StreamEncoding::Kind::Unreadable)
        throw PdfStructureError("its cross-reference stream uses " + encoding.unreadable);
    std::string row;
    std::size_t range = 0;
    std::uint64_t done = 0;  // of the current range
    auto field = [&](std::size_t from, int width) {
        std::uint64_t value = 0;
        for (int k = 0; k < width; ++k)
            value = (value << 8) | static_cast<unsigned char>(row[from + k]);
        return value;
    };
    auto takeRow = [&] {
        while (range < ranges.size() && done == ranges[range].second) {
            ++range;
            done = 0;
        }
        if (range == ranges.size()) return;
        const std::uint64_t number = ranges[range].first + done++;
        const std::uint64_t type = widths[0] == 0 ? 1 : field(0, widths[0]);
        const std::uint64_t second = field(static_cast<std::size_t>(widths[0]), widths[1]);
        if (type == 0) {
            set(number, kFree);
        } else if (type == 1) {
            set(number, second > 0 && second < file_.size() ? kInFile | second : kFree);
        } else if (type == 2) {
            set(number, kInObjectStream);
            objectStreams_ = true;
        }
    };
    StreamDecoder decoder(encoding, [&](std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t taken = std::min(bytes.size(), rowBytes - row.size());
            row.append(bytes.substr(0, taken));
            bytes.remove_prefix(taken);
            if (row.size() == rowBytes) {
                takeRow();
                row.clear();
            }
        }
    });
    std::optional<std::uint64_t> length;
    if (const PdfObject* entry = dictionary.find("Length"))
        if (auto value = entry->integerValue(); value && *value >= 0)
            length = static_cast<std::uint64_t>(*value);
    file_.decodeStreamData(*object.streamData, length, decoder);
    return dictionary;
}

}  // namespace leafwright
