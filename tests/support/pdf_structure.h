#pragma once

// A structural check of a written document that needs no PDF library: what
// any reader relies on to find the objects. Shared by the unit tests and the
// fuzz targets, so it reports through its result instead of a test macro.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright::testing {

struct PdfStructure {
    std::string fault;        // empty when the document is sound
    std::size_t objects = 0;  // objects listed in the cross-reference table
    std::size_t streams = 0;  // content streams among them
};

namespace detail {

inline bool hasAt(std::string_view pdf, std::size_t at, std::string_view text) {
    return at <= pdf.size() && pdf.substr(at).starts_with(text);
}

// The decimal number at `at`; npos when there is none.
inline std::size_t numberAt(std::string_view pdf, std::size_t at, std::size_t* end = nullptr) {
    std::size_t value = 0, digits = 0;
    while (at < pdf.size() && pdf[at] >= '0' && pdf[at] <= '9' && digits < 19) {
        value = value * 10 + static_cast<std::size_t>(pdf[at] - '0');
        ++at;
        ++digits;
    }
    if (end != nullptr) *end = at;
    return digits == 0 ? std::string_view::npos : value;
}

}  // namespace detail

// Checks that startxref points at "xref", that every cross-reference entry
// is 20 bytes and points at "N 0 obj", that /Size counts the entries, that
// every stream's /Length is the number of bytes between "stream" CR LF and
// "endstream", and that the file ends with %%EOF.
inline PdfStructure checkPdfStructure(std::string_view pdf) {
    using detail::hasAt;
    using detail::numberAt;
    PdfStructure result;
    auto fail = [&](std::string what) {
        result.fault = std::move(what);
        return result;
    };

    if (!pdf.starts_with("%PDF-1.3\r\n")) return fail("no %PDF-1.3 header");
    if (!pdf.ends_with("\r\n%%EOF\r\n")) return fail("no %%EOF at the end");
    std::size_t start = pdf.rfind("startxref\r\n");
    if (start == std::string_view::npos) return fail("no startxref");
    std::size_t xref = numberAt(pdf, start + 11);
    if (xref == std::string_view::npos || !hasAt(pdf, xref, "xref\r\n0 "))
        return fail("startxref does not point at xref");
    std::size_t after = 0;
    std::size_t entries = numberAt(pdf, xref + 8, &after);
    if (entries == std::string_view::npos || entries == 0 || !hasAt(pdf, after, "\r\n"))
        return fail("no entry count after xref");
    std::size_t table = after + 2;
    if (!hasAt(pdf, table, "0000000000 65535 f\r\n")) return fail("entry 0 is not the free head");
    if (table + 20 * entries > pdf.size()) return fail("cross-reference table cut short");
    if (!hasAt(pdf, table + 20 * entries, "trailer\r\n")) return fail("no trailer after the table");
    if (pdf.find("/Size " + std::to_string(entries) + "\r\n", table + 20 * entries) ==
        std::string_view::npos)
        return fail("/Size does not count the entries");

    std::size_t previous = 0;
    for (std::size_t n = 1; n < entries; ++n) {
        std::string_view entry = pdf.substr(table + 20 * n, 20);
        std::size_t end = 0;
        std::size_t offset = numberAt(entry, 0, &end);
        if (end != 10 || entry.substr(10) != " 00000 n\r\n")
            return fail("entry " + std::to_string(n) + " is malformed");
        std::string opening = std::to_string(n) + " 0 obj\r\n";
        if (!hasAt(pdf, offset, opening))
            return fail("entry " + std::to_string(n) + " does not point at its object");
        if (offset <= previous || offset >= xref)
            return fail("object " + std::to_string(n) + " out of place");
        previous = offset;

        std::size_t body = offset + opening.size();
        if (!hasAt(pdf, body, "<< /Length ")) continue;
        std::size_t length = numberAt(pdf, body + 11, &end);
        // Other entries (/Filter, /Length1) may follow the length on its line.
        const std::size_t headEnd = pdf.find("\r\n", end);
        if (length == std::string_view::npos || headEnd == std::string_view::npos ||
            headEnd < end + 3 || !hasAt(pdf, headEnd - 3, " >>\r\nstream\r\n"))
            return fail("object " + std::to_string(n) + " has a malformed stream head");
        std::size_t data = headEnd + 10;
        if (length > pdf.size() - data || !hasAt(pdf, data + length, "endstream\r\nendobj\r\n"))
            return fail("the /Length of object " + std::to_string(n) + " is wrong");
        ++result.streams;
    }
    if (result.streams == 0) return fail("no content stream");
    result.objects = entries - 1;
    return result;
}

// The page contents of an uncompressed document in the file's order: each
// stream whose data starts with "BT", from there to its "endstream".
inline std::vector<std::string> contentStreams(std::string_view pdf) {
    std::vector<std::string> streams;
    for (std::size_t at = 0; (at = pdf.find("stream\r\nBT\r\n", at)) != std::string_view::npos;) {
        const std::size_t start = at + 8;
        const std::size_t end = pdf.find("endstream", start);
        if (end == std::string_view::npos) break;
        streams.emplace_back(pdf.substr(start, end - start));
        at = end;
    }
    return streams;
}

}  // namespace leafwright::testing
