#include "core/pdf/pdf_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/fonts/document_fonts.h"
#include "core/fonts/font_objects.h"
#include "core/pdf/document_objects.h"
#include "core/pdf/furniture_form.h"
#include "core/pdf/page_colour.h"
#include "core/pdf/page_furniture.h"
#include "core/platform/run_watch.h"

namespace leafwright {

namespace {

constexpr std::string_view kOutlines = "2 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n";

std::string number(std::uint64_t value) {
    return pdfNumber(value);
}

void appendNumber(std::string& out, std::uint64_t value) {
    appendPdfNumber(out, value);
}

// The document's fonts: the standard font as /F1, or the embedded fonts,
// /F1 at the standard font's number and every other object after the
// document's last one, before the cross-reference table.
class FontObjects {
  public:
    FontObjects(const ConversionSettings& s, const DocumentFonts* fonts, std::uint64_t f1Number,
                std::uint64_t lastObject)
        : settings_(s), fonts_(fonts), f1Number_(f1Number), firstAfter_(lastObject + 1) {
        if (!fonts_) return;
        f1Text_ = firstFontObjects().front().text;
        fontCount_ = fonts_->fonts().size();
        objectCount_ = count();
    }

    // The /Font dictionary's entries of the page resources.
    std::string resources() const {
        std::string entries = "/F1 " + number(f1Number_) + " 0 R";
        for (std::size_t k = 1; fonts_ && k < fonts_->fonts().size(); ++k)
            entries += " /F" + number(k + 1) + " " + number(type0Number(k)) + " 0 R";
        return entries;
    }

    std::string f1Object() const {
        if (!fonts_) return standardFontObject(f1Number_, settings_);
        return f1Text_;
    }

    // Objects written after the document's own.
    std::uint64_t count() const {
        if (!fonts_) return 0;
        return type0Number(fonts_->fonts().size()) - firstAfter_;
    }

    // Writes them in number order; their offsets are kept for the table.
    void writeRest(TextFileWriter& out) {
        if (!fonts_) return;
        offsets_.reserve(count());
        auto writeObject = [&](const FontObject& object) {
            offsets_.push_back(out.position());
            out.write(object.text);
            if (object.data.empty()) return;
            out.writeRaw(object.data);
            out.write(object.tail);
        };
        const bool compress = settings_.chosen.more.compress;
        // Made again now that the pages are written: codes for characters
        // that draw nothing may have joined the first font meanwhile. Its
        // glyphs, and so its name written before the pages, cannot change.
        const std::vector<FontObject> first = firstFontObjects();
        if (first.front().text != f1Text_)
            throw std::logic_error("the first font changed while the pages were written");
        // The page resources, written first, name every font.
        if (fonts_->fonts().size() != fontCount_)
            throw std::logic_error("a font was added while the pages were written");
        // So were the objects' numbers (a Type 3 font has objects per glyph).
        if (count() != objectCount_)
            throw std::logic_error("a glyph was added while the pages were written");
        const std::vector<FontObject> firstWritten = compress ? firstFontObjects(true) : first;
        for (std::size_t i = 1; i < firstWritten.size(); ++i) writeObject(firstWritten[i]);
        for (std::size_t k = 1; k < fonts_->fonts().size(); ++k) {
            const int type0 = static_cast<int>(type0Number(k));
            for (const FontObject& object :
                 embeddedFontObjects(fonts_->fonts()[k], type0, type0 + 1, compress,
                                     pageColourOf(settings_.pageRgb)))
                writeObject(object);
        }
    }

    std::uint64_t offsetOf(std::uint64_t object) const { return offsets_.at(object - firstAfter_); }

  private:
    std::vector<FontObject> firstFontObjects(bool compress = false) const {
        return embeddedFontObjects(fonts_->fonts().front(), static_cast<int>(f1Number_),
                                   static_cast<int>(firstAfter_), compress);
    }

    // The number of font k's first object (for k the font count, the
    // number after the fonts' objects): the first font's Type0 object is
    // /F1, the others follow from firstAfter_ on.
    std::uint64_t type0Number(std::size_t k) const {
        std::uint64_t number = firstAfter_ - 1;
        for (std::size_t i = 0; i < k; ++i)
            number += static_cast<std::uint64_t>(embeddedFontObjectCount(fonts_->fonts()[i])) -
                      (i == 0 ? 1 : 0);
        return number + (k == 0 ? 0 : 1);
    }

    const ConversionSettings& settings_;
    const DocumentFonts* fonts_;
    std::uint64_t f1Number_;
    std::uint64_t firstAfter_;
    std::string f1Text_;
    std::size_t fontCount_ = 0;
    std::uint64_t objectCount_ = 0;
    std::vector<std::uint64_t> offsets_;
};

// The three objects of page k in a page-tree document.
struct PageObjects {
    std::uint64_t node, page, content;
    explicit PageObjects(std::uint64_t k) : node(7 + 3 * k), page(8 + 3 * k), content(9 + 3 * k) {}
};

// A page's objects before its content go out as one text, built in a buffer
// that every page uses again: a document has a page per few KB of source.
void appendPageTreeNode(std::string& out, const PageObjects& o) {
    appendNumber(out, o.node);
    out += " 0 obj\n<<\n/Type /Pages\n/Parent 6 0 R\n/Count 1\n/Kids [";
    appendNumber(out, o.page);
    out += " 0 R ]\n>>\nendobj\n";
}

void appendPageObject(std::string& out, const PageObjects& o, const ConversionSettings& s,
                      const std::string& fontResources, const std::string& formResource) {
    appendNumber(out, o.page);
    out += " 0 obj\n<<\n/Type /Page\n/Parent ";
    appendNumber(out, o.node);
    out += " 0 R\n/Resources << /Font << ";
    out += fontResources;
    out += " >> /ProcSet 3 0 R";
    out += formResource;
    out += ">>\n/MediaBox [0 0 ";
    out += s.pageWidth;
    out += ' ';
    out += s.pageHeight;
    out += " ]\n/Rotate ";
    out += s.rotateText;
    out += "\n/Contents ";
    appendNumber(out, o.content);
    out += " 0 R\n>>\nendobj\n";
}

// Where a page's three objects start: the first in full, the other two as
// the sizes of the objects before them.
struct PageOffsets {
    std::uint64_t node;
    std::uint32_t nodeSize, pageSize;
};

void writeRootOfPageTree(TextFileWriter& out, std::uint64_t pageCount) {
    out.write("6 0 obj\n<<\n/Type /Pages\n/Count " + number(pageCount) + "\n/Kids [");
    writeKidsAndClose(out, pageCount, [](std::uint64_t k) { return PageObjects(k).node; });
}

}  // namespace

void writeSinglePagePdf(TextFileWriter& out, const ConversionSettings& s,
                        std::uint64_t streamLength, const HandContent& handContent,
                        const DocumentFonts* fonts) {
    std::array<std::uint64_t, 9> offsets{};
    FontObjects fontObjects(s, fonts, 7, 8);
    out.write(kPdfHeader);
    offsets[1] = out.position();
    out.write("1 0 obj\n<<\n/Type /Catalog\n/Pages 3 0 R\n/Outlines 2 0 R\n>>\nendobj\n");
    offsets[2] = out.position();
    out.write(kOutlines);
    offsets[3] = out.position();
    out.write("3 0 obj\n<<\n/Type /Pages\n/Count 1\n/Kids [4 0 R ]\n>>\nendobj\n");
    offsets[4] = out.position();
    out.write("4 0 obj\n<<\n/Type /Page\n/Parent 3 0 R\n/Resources << /Font << " +
              fontObjects.resources() + " >> /ProcSet 6 0 R>>\n/MediaBox [0 0 " + s.pageWidth +
              " " + s.pageHeight + " ]\n/Rotate " + s.rotateText +
              "\n/Contents 5 0 R\n>>\nendobj\n");
    offsets[5] = out.position();
    std::optional<FlateContent> flate;
    if (s.chosen.more.compress) {
        flate.emplace(9 + fontObjects.count());
        flate->writeContentObject(out, 5, handContent);
    } else {
        std::string head;
        appendStreamHead(head, 5, streamLength);
        out.write(head);
        handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
        out.write(kStreamTail);
    }
    offsets[6] = out.position();
    out.write(procSetObject(6));
    offsets[7] = out.position();
    out.write(fontObjects.f1Object());
    offsets[8] = out.position();
    out.write(infoObject(8, s));
    fontObjects.writeRest(out);
    writeXrefAndTrailer(
        out, 8 + fontObjects.count() + (flate ? flate->addedCount() : 0),
        [&](std::uint64_t object) {
            if (flate)
                if (std::optional<std::uint64_t> elsewhere = flate->offsetOf(object))
                    return *elsewhere;
            return object <= 8 ? offsets[object] : fontObjects.offsetOf(object);
        },
        8);
}

void writePageTreePdf(TextFileWriter& out, const ConversionSettings& s, PageSequence& pages,
                      const DocumentFonts* fonts) {
    const std::uint64_t pageCount = pages.pageCount();
    const std::uint64_t lastObject = 6 + 3 * pageCount;
    FontObjects fontObjects(s, fonts, 4, lastObject);
    const std::string fontResources = fontObjects.resources();
    const std::string& form = pages.furnitureForm();
    // The furniture's form, when there is one, follows the fonts' objects.
    const std::uint64_t objectsBeforeFlate =
        lastObject + fontObjects.count() + (form.empty() ? 0 : 1);
    const std::uint64_t formNumber = form.empty() ? 0 : objectsBeforeFlate;
    const std::string formResource =
        form.empty() ? std::string() : furnitureFormResource(PageFurniture::kFormName, formNumber);
    std::array<std::uint64_t, 7> fixedOffsets{};
    out.write(kPdfHeader);
    fixedOffsets[1] = out.position();
    out.write("1 0 obj\n<<\n/Type /Catalog\n/Pages 6 0 R\n/Outlines 2 0 R\n>>\nendobj\n");
    fixedOffsets[2] = out.position();
    out.write(kOutlines);
    fixedOffsets[3] = out.position();
    out.write(procSetObject(3));
    fixedOffsets[4] = out.position();
    out.write(fontObjects.f1Object());
    fixedOffsets[5] = out.position();
    out.write(infoObject(5, s));
    fixedOffsets[6] = out.position();
    writeRootOfPageTree(out, pageCount);

    std::vector<PageOffsets> pageOffsets;
    pageOffsets.reserve(pageCount);
    std::optional<FlateContent> flate;
    if (s.chosen.more.compress) flate.emplace(objectsBeforeFlate + 1);
    std::string head;
    for (std::uint64_t k = 0; k < pageCount; ++k) {
        notePagesWritten(k, pageCount);
        std::uint64_t streamLength = pages.nextStreamLength();
        PageObjects objects(k);
        PageOffsets offsets{out.position(), 0, 0};
        head.clear();
        appendPageTreeNode(head, objects);
        const std::size_t nodeEnd = head.size();
        appendPageObject(head, objects, s, fontResources, formResource);
        const std::size_t pageEnd = head.size();
        if (!flate) appendStreamHead(head, objects.content, streamLength);
        const std::string_view text(head);
        offsets.nodeSize = static_cast<std::uint32_t>(diskSize(text.substr(0, nodeEnd)));
        offsets.pageSize =
            static_cast<std::uint32_t>(diskSize(text.substr(nodeEnd, pageEnd - nodeEnd)));
        pageOffsets.push_back(offsets);
        out.write(head);
        if (flate) {
            pages.writeCompressedContent(*flate, out, objects.content);
            continue;
        }
        pages.writeContent(out);
        out.write(kStreamTail);
    }

    std::uint64_t formOffset = 0;
    auto offsetOf = [&](std::uint64_t object) -> std::uint64_t {
        if (flate)
            if (std::optional<std::uint64_t> elsewhere = flate->offsetOf(object)) return *elsewhere;
        if (object <= 6) return fixedOffsets[object];
        if (object == formNumber && formNumber != 0) return formOffset;
        if (object > lastObject) return fontObjects.offsetOf(object);
        const PageOffsets& page = pageOffsets[(object - 7) / 3];
        switch ((object - 7) % 3) {
            case 0:
                return page.node;
            case 1:
                return page.node + page.nodeSize;
            default:
                return page.node + page.nodeSize + page.pageSize;
        }
    };
    fontObjects.writeRest(out);
    formOffset = out.position();
    if (!form.empty()) writeFurnitureForm(out, formNumber, s, fontResources, 3, form);
    writeXrefAndTrailer(out, objectsBeforeFlate + (flate ? flate->addedCount() : 0), offsetOf, 5);
}

}  // namespace leafwright
