#pragma once

// Random content in the form the writer gives wrapped lines, form feeds and
// page furniture, with the text Unspool must give back for it: source lines
// cut at form feeds and wrapped into pieces, each piece a row (a literal
// string, a hexadecimal one or a TJ array), "/LwCont MP" before a
// continuation, "/LwFF MP" where a form feed stood, artifacts (nested marked
// content, strings that are not text, marks that mean nothing there) and
// page breaks between any rows. Shared by the unit tests and the fuzz
// target, which draws the choices from its input.

#include <cstdint>
#include <string>
#include <vector>

#include "core/plustools/reference_documents.h"

namespace leafwright::testing {

struct MarkedDocument {
    std::vector<std::string> lines;  // content lines, without their line ends
    std::string text;                // what Unspool gives back
};

namespace marked_detail {

inline std::string literalRow(const std::string& piece, const Choose& choose) {
    std::string row = "(";
    for (char c : piece) {
        if (c == '(' || c == ')' || c == '\\') row += '\\';
        row += c;
    }
    row += ")";
    if (choose(3) == 0) return "[" + row + "] TJ";
    return row + "'";
}

inline std::string hexRow(const std::string& piece, const Choose& choose) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex = "<";
    for (unsigned char c : piece) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
        if (choose(4) == 0) hex += ' ';
    }
    hex += ">";
    if (choose(2) == 0) return "[" + hex + " -120] TJ T*";
    return hex + "'";
}

inline void addArtifact(MarkedDocument& doc, const Choose& choose) {
    static const char* const kOpenings[] = {"/Artifact BMC", "/Artifact <</Type /Pagination>> BDC",
                                            "/Artifact /P1 BDC"};
    doc.lines.push_back(kOpenings[choose(3)]);
    const std::uint32_t nested = choose(3);
    for (std::uint32_t k = 0; k < nested; ++k) doc.lines.push_back("/Span <</Lang (en)>> BDC");
    switch (choose(3)) {
        case 0:
            doc.lines.push_back("q 0.5 w 72 700 m 500 700 l S Q");
            break;
        case 1:
            doc.lines.push_back("BT /F1 11 Tf 72 760 Td (not text) Tj ET");
            break;
        default:
            doc.lines.push_back("BT <6E6F74> Tj");
            doc.lines.push_back("/LwCont MP");
            doc.lines.push_back("/LwFF MP");
            doc.lines.push_back("[(hidden)] TJ ET");
            break;
    }
    for (std::uint32_t k = 0; k < nested; ++k) doc.lines.push_back("EMC");
    doc.lines.push_back("EMC");
}

}  // namespace marked_detail

inline MarkedDocument markedDocument(const Choose& choose, std::uint32_t lineCount) {
    static const char kCharacters[] = "ab yz()\\'<>/[]%\x0C";
    MarkedDocument doc;
    auto newPage = [&] {
        doc.lines.push_back("ET");
        if (choose(2) == 0) marked_detail::addArtifact(doc, choose);
        doc.lines.push_back("endstream");
        doc.lines.push_back("BT");
        doc.lines.push_back("/F1 12 Tf");
    };
    auto row = [&](const std::string& piece, bool continuation) {
        const std::uint32_t around = choose(8);
        if (around == 0) newPage();
        if (around == 1) marked_detail::addArtifact(doc, choose);
        if (continuation) doc.lines.push_back("/LwCont MP");
        doc.lines.push_back(choose(2) == 0 ? marked_detail::literalRow(piece, choose)
                                           : marked_detail::hexRow(piece, choose));
    };
    doc.lines.push_back("BT");
    doc.lines.push_back("/F1 12 Tf");
    for (std::uint32_t line = 0; line < lineCount; ++line) {
        std::string source;
        const std::uint32_t length = choose(12);
        for (std::uint32_t k = 0; k < length; ++k)
            source += kCharacters[choose(sizeof kCharacters - 1)];
        doc.text += source + "\r\n";
        // Its segments, each drawn as pieces of one to four characters.
        std::size_t start = 0;
        for (;;) {
            const std::size_t ff = source.find('\x0C', start);
            const std::string segment = source.substr(start, ff - start);
            const bool last = ff == std::string::npos;
            if (!(last && segment.empty() && start > 0 && line + 1 == lineCount)) {
                std::size_t at = 0;
                do {
                    const std::size_t size = 1 + choose(4);
                    row(segment.substr(at, size), at > 0);
                    at += size;
                } while (at < segment.size());
            }
            if (last) break;
            doc.lines.push_back("/LwFF MP");
            if (choose(4) == 0) newPage();
            start = ff + 1;
        }
    }
    doc.lines.push_back("ET");
    if (choose(2) == 0) marked_detail::addArtifact(doc, choose);
    return doc;
}

}  // namespace leafwright::testing
