#pragma once

// Test-side knowledge of the document format: the expected bytes built
// straight from the document templates (kept apart from the code under test),
// and a structural check of any written document.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"

namespace leafwright::testing {

inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The content stream text (with "\n" line ends) of one page.
inline std::string expectedContent(const ConversionSettings& s,
                                   const std::vector<std::string>& escapedLines) {
    std::string block;
    for (const auto& line : escapedLines) block += "\n(" + line + ")'";
    std::string tail = s.textRgb + " rg\n/F1 " + s.fontSizeText + " Tf\n" + s.leadingText +
                       " TL\n1 0 0 1 " + s.textLeft + " " + s.textTop + " Tm" + block + "\nET\n";
    if (s.pageRgb == "1 1 1") return "\nBT\n" + tail;
    return "\nBT\n" + s.pageRgb + " rg\n0 0 m\n" + s.pageWidth + " 0 l\n" + s.pageWidth + " " +
           s.pageHeight + " l\n0 " + s.pageHeight + " l\n0 0 l\nf\n" + tail;
}

// Stream length by the counting rule: characters + lines + 5 (white) or 12.
inline std::size_t expectedStreamLength(const ConversionSettings& s, const std::string& content,
                                        std::size_t lines) {
    return content.size() + lines + (s.pageRgb == "1 1 1" ? 5 : 12);
}

class ExpectedDocument {
  public:
    void add(const std::string& text) { bytes_ += crlf(text); }
    void object(const std::string& text) {
        offsets_.push_back(bytes_.size());
        add(text);
    }
    std::string finish(int infoObject) {
        std::size_t xref = bytes_.size();
        std::string table =
            "xref\n0 " + std::to_string(offsets_.size() + 1) + "\n0000000000 65535 f\n";
        for (std::size_t offset : offsets_) {
            std::string digits = std::to_string(offset);
            table += std::string(10 - digits.size(), '0') + digits + " 00000 n\n";
        }
        add(table + "trailer\n<<\n/Size " + std::to_string(offsets_.size() + 1) + "\n/Info " +
            std::to_string(infoObject) + " 0 R\n/Root 1 0 R\n>>\nstartxref\n" +
            std::to_string(xref) + "\n%%EOF\n");
        return bytes_;
    }

  private:
    std::string bytes_;
    std::vector<std::size_t> offsets_;
};

inline std::string infoObjectText(int n, const ConversionSettings& s) {
    return std::to_string(n) + " 0 obj\n<<\n/Title (" + s.docTitle + ")\n/Author (" + s.docAuthor +
           ")\n/Keywords (" + s.docKeywords + ")\n/Subject (" + s.docSubject + ")\n/Producer (" +
           s.docProducer + ")\n/CreationDate (10-5-2001)\n>>\nendobj\n";
}

inline std::string fontObjectText(int n, const ConversionSettings& s) {
    return std::to_string(n) + " 0 obj\n<<\n/Type /Font\n/Subtype /Type1\n/Name /F1\n/BaseFont /" +
           s.baseFont + "\n/Encoding /MacRomanEncoding\n>>\nendobj\n";
}

inline const char* kOutlinesText = "2 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n";

// A page-tree document for ASCII-only settings and already escaped lines.
inline std::string expectedPageTreePdf(const ConversionSettings& s,
                                       const std::vector<std::vector<std::string>>& pages) {
    ExpectedDocument doc;
    doc.add("%PDF-1.3\n");
    doc.object("1 0 obj\n<<\n/Type /Catalog\n/Pages 6 0 R\n/Outlines 2 0 R\n>>\nendobj\n");
    doc.object(kOutlinesText);
    doc.object("3 0 obj\n[/PDF /Text]\nendobj\n");
    doc.object(fontObjectText(4, s));
    doc.object(infoObjectText(5, s));
    std::string kids;
    for (std::size_t k = 0; k < pages.size(); ++k) kids += std::to_string(7 + 3 * k) + " 0 R ";
    doc.object("6 0 obj\n<<\n/Type /Pages\n/Count " + std::to_string(pages.size()) + "\n/Kids [" +
               kids + "]\n>>\nendobj\n");
    for (std::size_t k = 0; k < pages.size(); ++k) {
        std::string n = std::to_string(7 + 3 * k), p = std::to_string(8 + 3 * k),
                    c = std::to_string(9 + 3 * k);
        doc.object(n + " 0 obj\n<<\n/Type /Pages\n/Parent 6 0 R\n/Count 1\n/Kids [" + p +
                   " 0 R ]\n>>\nendobj\n");
        doc.object(p + " 0 obj\n<<\n/Type /Page\n/Parent " + n +
                   " 0 R\n/Resources << /Font << /F1 4 0 R >> /ProcSet 3 0 R>>\n/MediaBox [0 0 " +
                   s.pageWidth + " " + s.pageHeight + " ]\n/Rotate " + s.rotateText +
                   "\n/Contents " + c + " 0 R\n>>\nendobj\n");
        std::string content = expectedContent(s, pages[k]);
        doc.object(c + " 0 obj\n<< /Length " +
                   std::to_string(expectedStreamLength(s, content, pages[k].size())) +
                   " >>\nstream" + content + "endstream\nendobj\n");
    }
    return doc.finish(5);
}

inline std::string expectedSinglePagePdf(const ConversionSettings& s,
                                         const std::vector<std::string>& lines) {
    ExpectedDocument doc;
    doc.add("%PDF-1.3\n");
    doc.object("1 0 obj\n<<\n/Type /Catalog\n/Pages 3 0 R\n/Outlines 2 0 R\n>>\nendobj\n");
    doc.object(kOutlinesText);
    doc.object("3 0 obj\n<<\n/Type /Pages\n/Count 1\n/Kids [4 0 R ]\n>>\nendobj\n");
    doc.object(
        "4 0 obj\n<<\n/Type /Page\n/Parent 3 0 R\n/Resources << /Font << /F1 7 0 R >> /ProcSet 6 "
        "0 R>>\n/MediaBox [0 0 " +
        s.pageWidth + " " + s.pageHeight + " ]\n/Rotate " + s.rotateText +
        "\n/Contents 5 0 R\n>>\nendobj\n");
    std::string content = expectedContent(s, lines);
    doc.object("5 0 obj\n<< /Length " +
               std::to_string(expectedStreamLength(s, content, lines.size())) + " >>\nstream" +
               content + "endstream\nendobj\n");
    doc.object("6 0 obj\n[/PDF /Text]\nendobj\n");
    doc.object(fontObjectText(7, s));
    doc.object(infoObjectText(8, s));
    return doc.finish(8);
}

// Checks what any reader relies on: every cross-reference entry is 20 bytes
// and points at "N 0 obj", startxref points at "xref", /Size counts the
// entries, and every /Length is the number of bytes between "stream" CR LF
// and "endstream". Returns the number of objects.
inline std::size_t checkStructure(const std::string& pdf) {
    std::size_t start = pdf.rfind("startxref\r\n");
    if (start == std::string::npos) {
        ADD_FAILURE() << "no startxref";
        return 0;
    }
    std::size_t xref = std::strtoull(pdf.c_str() + start + 11, nullptr, 10);
    EXPECT_EQ(pdf.compare(xref, 8, "xref\r\n0 "), 0) << "startxref does not point at xref";
    std::size_t entries = std::strtoull(pdf.c_str() + xref + 8, nullptr, 10);
    std::size_t table = pdf.find("\r\n", xref + 8) + 2;
    EXPECT_EQ(pdf.compare(table, 20, "0000000000 65535 f\r\n"), 0);
    for (std::size_t n = 1; n < entries; ++n) {
        std::string entry = pdf.substr(table + 20 * n, 20);
        EXPECT_EQ(entry.substr(10), " 00000 n\r\n") << "entry " << n;
        std::size_t offset = std::strtoull(entry.c_str(), nullptr, 10);
        std::string opening = std::to_string(n) + " 0 obj\r\n";
        EXPECT_EQ(pdf.compare(offset, opening.size(), opening), 0) << "object " << n;
    }
    EXPECT_EQ(pdf.compare(table + 20 * entries, 9, "trailer\r\n"), 0);
    EXPECT_NE(pdf.find("/Size " + std::to_string(entries) + "\r\n", table), std::string::npos);

    std::size_t streams = 0;
    for (std::size_t at = pdf.find("<< /Length "); at != std::string::npos;
         at = pdf.find("<< /Length ", at + 1)) {
        std::size_t length = std::strtoull(pdf.c_str() + at + 11, nullptr, 10);
        std::size_t data = pdf.find(" >>\r\nstream\r\n", at) + 13;
        EXPECT_EQ(pdf.compare(data + length, 9, "endstream"), 0) << "stream at " << at;
        ++streams;
    }
    EXPECT_GT(streams, 0u);
    return entries - 1;
}

}  // namespace leafwright::testing
