#include "core/pdf/pdf_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/fonts/document_fonts.h"
#include "core/fonts/font_objects.h"
#include "core/pdf/document_info.h"

namespace leafwright {

namespace {

// The fixed texts below are written in text mode: each "\n" becomes CR LF.
constexpr std::string_view kHeader = "%PDF-1.3\n";
constexpr std::string_view kOutlines = "2 0 obj\n<<\n/Type /Outlines\n/Count 0\n>>\nendobj\n";
constexpr std::string_view kFreeEntry = "0000000000 65535 f\n";
constexpr std::size_t kChunk = 1 << 16;

std::string number(std::uint64_t value) {
    return std::to_string(value);
}

// Bytes a text takes on disk.
std::uint64_t diskSize(std::string_view text) {
    return text.size() + static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string procSetObject(int object) {
    return number(object) + " 0 obj\n[/PDF /Text]\nendobj\n";
}

std::string fontObject(int object, const ConversionSettings& s) {
    return number(object) + " 0 obj\n<<\n/Type /Font\n/Subtype /Type1\n/Name /F1\n/BaseFont /" +
           s.baseFont + "\n/Encoding /MacRomanEncoding\n>>\nendobj\n";
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
    }

    // The /Font dictionary's entries of the page resources.
    std::string resources() const {
        std::string entries = "/F1 " + number(f1Number_) + " 0 R";
        for (std::size_t k = 1; fonts_ && k < fonts_->fonts().size(); ++k)
            entries += " /F" + number(k + 1) + " " + number(type0Number(k)) + " 0 R";
        return entries;
    }

    std::string f1Object() const {
        if (!fonts_) return fontObject(static_cast<int>(f1Number_), settings_);
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
        auto writeObject = [&](const std::string& text) {
            offsets_.push_back(out.position());
            out.write(text);
        };
        // Made again now that the pages are written: codes for characters
        // that draw nothing may have joined the first font meanwhile. Its
        // glyphs, and so its name written before the pages, cannot change.
        const std::vector<FontObject> first = firstFontObjects();
        if (first.front().text != f1Text_)
            throw std::logic_error("the first font changed while the pages were written");
        // The page resources, written first, name every font.
        if (fonts_->fonts().size() != fontCount_)
            throw std::logic_error("a font was added while the pages were written");
        for (std::size_t i = 1; i < first.size(); ++i) writeObject(first[i].text);
        for (std::size_t k = 1; k < fonts_->fonts().size(); ++k) {
            const int type0 = static_cast<int>(type0Number(k));
            for (const FontObject& object :
                 embeddedFontObjects(fonts_->fonts()[k], type0, type0 + 1))
                writeObject(object.text);
        }
    }

    std::uint64_t offsetOf(std::uint64_t object) const { return offsets_.at(object - firstAfter_); }

  private:
    std::vector<FontObject> firstFontObjects() const {
        return embeddedFontObjects(fonts_->fonts().front(), static_cast<int>(f1Number_),
                                   static_cast<int>(firstAfter_));
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
    std::vector<std::uint64_t> offsets_;
};

std::string infoObject(int object, const ConversionSettings& s) {
    return number(object) + " 0 obj\n<<\n/Title (" + documentInfoString(s.docTitle) +
           ")\n/Author (" + documentInfoString(s.docAuthor) + ")\n/Keywords (" +
           documentInfoString(s.docKeywords) + ")\n/Subject (" + documentInfoString(s.docSubject) +
           ")\n/Producer (" + documentInfoString(s.docProducer) +
           ")\n/CreationDate (10-5-2001)\n>>\nendobj\n";
}

constexpr std::string_view kStreamTail = "endstream\nendobj\n";

// One cross-reference entry, 20 bytes on disk: the offset in ten digits.
void appendXrefEntry(std::string& out, std::uint64_t offset) {
    char digits[10];
    for (int i = 9; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + offset % 10);
        offset /= 10;
    }
    out.append(digits, 10);
    out.append(" 00000 n\r\n");
}

// Writes "xref" with its table (offsets in object order, from object 1) and
// the trailer.
template <typename OffsetOf>
void writeXrefAndTrailer(TextFileWriter& out, std::uint64_t objectCount, OffsetOf offsetOf,
                         int infoObject) {
    std::uint64_t xrefOffset = out.position();
    std::uint64_t entries = objectCount + 1;
    out.write("xref\n0 " + number(entries) + "\n");
    out.write(kFreeEntry);
    std::string chunk;
    chunk.reserve(kChunk + 32);
    for (std::uint64_t object = 1; object <= objectCount; ++object) {
        appendXrefEntry(chunk, offsetOf(object));
        if (chunk.size() >= kChunk) {
            out.writeRaw(chunk);
            chunk.clear();
        }
    }
    out.writeRaw(chunk);
    out.write("trailer\n<<\n/Size " + number(entries) + "\n/Info " + number(infoObject) +
              " 0 R\n/Root 1 0 R\n>>\nstartxref\n" + number(xrefOffset) + "\n%%EOF\n");
}

// The three objects of page k in a page-tree document.
struct PageObjects {
    std::uint64_t node, page, content;
    explicit PageObjects(std::uint64_t k) : node(7 + 3 * k), page(8 + 3 * k), content(9 + 3 * k) {}
};

void appendNumber(std::string& out, std::uint64_t value) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

// A page's objects before its content go out as one text, built in a buffer
// that every page uses again: a document has a page per few KB of source.
void appendPageTreeNode(std::string& out, const PageObjects& o) {
    appendNumber(out, o.node);
    out += " 0 obj\n<<\n/Type /Pages\n/Parent 6 0 R\n/Count 1\n/Kids [";
    appendNumber(out, o.page);
    out += " 0 R ]\n>>\nendobj\n";
}

void appendPageObject(std::string& out, const PageObjects& o, const ConversionSettings& s,
                      const std::string& fontResources) {
    appendNumber(out, o.page);
    out += " 0 obj\n<<\n/Type /Page\n/Parent ";
    appendNumber(out, o.node);
    out += " 0 R\n/Resources << /Font << ";
    out += fontResources;
    out += " >> /ProcSet 3 0 R>>\n/MediaBox [0 0 ";
    out += s.pageWidth;
    out += ' ';
    out += s.pageHeight;
    out += " ]\n/Rotate ";
    out += s.rotateText;
    out += "\n/Contents ";
    appendNumber(out, o.content);
    out += " 0 R\n>>\nendobj\n";
}

void appendStreamHead(std::string& out, std::uint64_t object, std::uint64_t streamLength) {
    appendNumber(out, object);
    out += " 0 obj\n<< /Length ";
    appendNumber(out, streamLength);
    out += " >>\nstream";
}

// Where a page's three objects start: the first in full, the other two as
// the sizes of the objects before them.
struct PageOffsets {
    std::uint64_t node;
    std::uint32_t nodeSize, pageSize;
};

void writeRootOfPageTree(TextFileWriter& out, std::uint64_t pageCount) {
    out.write("6 0 obj\n<<\n/Type /Pages\n/Count " + number(pageCount) + "\n/Kids [");
    std::string kids;
    kids.reserve(kChunk + 32);
    for (std::uint64_t k = 0; k < pageCount; ++k) {
        kids += number(PageObjects(k).node);
        kids += " 0 R ";
        if (kids.size() >= kChunk) {
            out.writeRaw(kids);
            kids.clear();
        }
    }
    out.writeRaw(kids);
    out.write("]\n>>\nendobj\n");
}

}  // namespace

void writeSinglePagePdf(TextFileWriter& out, const ConversionSettings& s,
                        std::uint64_t streamLength,
                        const std::function<void(TextFileWriter&)>& writeContent,
                        const DocumentFonts* fonts) {
    std::array<std::uint64_t, 9> offsets{};
    FontObjects fontObjects(s, fonts, 7, 8);
    out.write(kHeader);
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
    std::string head;
    appendStreamHead(head, 5, streamLength);
    out.write(head);
    writeContent(out);
    out.write(kStreamTail);
    offsets[6] = out.position();
    out.write(procSetObject(6));
    offsets[7] = out.position();
    out.write(fontObjects.f1Object());
    offsets[8] = out.position();
    out.write(infoObject(8, s));
    fontObjects.writeRest(out);
    writeXrefAndTrailer(
        out, 8 + fontObjects.count(),
        [&](std::uint64_t object) {
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
    std::array<std::uint64_t, 7> fixedOffsets{};
    out.write(kHeader);
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
    std::string head;
    for (std::uint64_t k = 0; k < pageCount; ++k) {
        std::uint64_t streamLength = pages.nextStreamLength();
        PageObjects objects(k);
        PageOffsets offsets{out.position(), 0, 0};
        head.clear();
        appendPageTreeNode(head, objects);
        const std::size_t nodeEnd = head.size();
        appendPageObject(head, objects, s, fontResources);
        const std::size_t pageEnd = head.size();
        appendStreamHead(head, objects.content, streamLength);
        const std::string_view text(head);
        offsets.nodeSize = static_cast<std::uint32_t>(diskSize(text.substr(0, nodeEnd)));
        offsets.pageSize =
            static_cast<std::uint32_t>(diskSize(text.substr(nodeEnd, pageEnd - nodeEnd)));
        pageOffsets.push_back(offsets);
        out.write(head);
        pages.writeContent(out);
        out.write(kStreamTail);
    }

    auto offsetOf = [&](std::uint64_t object) -> std::uint64_t {
        if (object <= 6) return fixedOffsets[object];
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
    writeXrefAndTrailer(out, lastObject + fontObjects.count(), offsetOf, 5);
}

}  // namespace leafwright
