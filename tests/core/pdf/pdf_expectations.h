#pragma once

// Test-side knowledge of the document format: the expected bytes built
// straight from the document templates (kept apart from the code under test),
// and a structural check of any written document.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings/conversion_settings.h"
#include "support/pdf_structure.h"
#include "support/plain_text.h"

namespace leafwright::testing {

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
    void add(const std::string& text) { bytes_ += withCrLf(text); }
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

// The structural check of support/pdf_structure.h as a test expectation.
// Returns the number of objects.
inline std::size_t checkStructure(const std::string& pdf) {
    PdfStructure structure = checkPdfStructure(pdf);
    EXPECT_EQ(structure.fault, "");
    return structure.objects;
}

}  // namespace leafwright::testing
