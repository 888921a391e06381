#pragma once

// A small complete PDF drawn with embedded fonts, built here without the
// writer: each line is one row of hex strings, switching fonts as the
// characters need. Lets the font objects be judged by outside PDF tools on
// their own.

#include <optional>
#include <string>
#include <vector>

#include "core/fonts/document_fonts.h"
#include "core/fonts/font_objects.h"
#include "core/fonts/hex_text.h"
#include "support/plain_text.h"

namespace leafwright::testing {

struct FontTestDocument {
    std::string pdf;               // the file's bytes, CR LF line ends
    std::size_t notPrintable = 0;  // characters shown as "?"
};

inline FontTestDocument buildFontTestDocument(FontProvider& provider, const std::string& baseFont,
                                              const std::vector<std::u32string>& lines) {
    FontTestDocument result;
    DocumentFonts fonts(provider, baseFont);

    std::string content = "BT\n12 TL\n1 0 0 1 36 800 Tm\n";
    for (const std::u32string& line : lines) {
        content += "T*";
        constexpr std::size_t kNoFont = static_cast<std::size_t>(-1);
        std::size_t current = kNoFont;  // each line selects its fonts anew
        bool open = false;
        for (char32_t character : line) {
            std::optional<ShownCharacter> shown =
                fonts.show(character, current < fonts.fonts().size() ? current : 0);
            if (!shown) {
                ++result.notPrintable;
                shown = fonts.show(U'?', current < fonts.fonts().size() ? current : 0);
            }
            if (shown->font != current) {
                if (open) content += "> Tj";
                content += " /F" + std::to_string(shown->font + 1) + " 10 Tf <";
                current = shown->font;
                open = true;
            }
            appendHexCode(content, shown->code);
        }
        if (open) content += "> Tj";
        content += "\n";
    }
    content += "ET\n";

    // 1 catalog, 2 pages, 3 page, 4 contents, then the objects of each font.
    std::vector<std::string> objects;
    std::string fontResources;
    std::vector<int> type0Numbers;
    for (std::size_t i = 0, next = 5; i < fonts.fonts().size(); ++i) {
        type0Numbers.push_back(static_cast<int>(next));
        fontResources += " /F" + std::to_string(i + 1) + " " + std::to_string(next) + " 0 R";
        next += static_cast<std::size_t>(embeddedFontObjectCount(fonts.fonts()[i]));
    }
    objects.push_back("1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
    objects.push_back("2 0 obj\n<< /Type /Pages /Count 1 /Kids [3 0 R] >>\nendobj\n");
    objects.push_back(
        "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842]\n/Resources << /Font <<" +
        fontResources + " >> /ProcSet [/PDF /Text] >>\n/Contents 4 0 R >>\nendobj\n");
    objects.push_back("4 0 obj\n<< /Length " + std::to_string(lengthOnDisk(content)) +
                      " >>\nstream\n" + content + "endstream\nendobj\n");
    for (std::size_t i = 0; i < fonts.fonts().size(); ++i) {
        const int type0 = type0Numbers[i];
        for (FontObject& object : embeddedFontObjects(fonts.fonts()[i], type0, type0 + 1))
            objects.push_back(std::move(object.text));
    }

    std::string pdf = "%PDF-1.3\r\n";
    std::vector<std::size_t> offsets;
    for (const std::string& object : objects) {
        offsets.push_back(pdf.size());
        pdf += withCrLf(object);
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\r\n0 " + std::to_string(objects.size() + 1) + "\r\n0000000000 65535 f\r\n";
    for (std::size_t offset : offsets) {
        std::string digits = std::to_string(offset);
        pdf += std::string(10 - digits.size(), '0') + digits + " 00000 n\r\n";
    }
    pdf += "trailer\r\n<<\r\n/Size " + std::to_string(objects.size() + 1) +
           "\r\n/Root 1 0 R\r\n>>\r\nstartxref\r\n" + std::to_string(xref) + "\r\n%%EOF\r\n";
    result.pdf = std::move(pdf);
    return result;
}

}  // namespace leafwright::testing
