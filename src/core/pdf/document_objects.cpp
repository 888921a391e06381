#include "core/pdf/document_objects.h"

#include <algorithm>
#include <charconv>

#include "core/pdf/document_info.h"

namespace leafwright {

std::string pdfNumber(std::uint64_t value) {
    return std::to_string(value);
}

void appendPdfNumber(std::string& out, std::uint64_t value) {
    char digits[20];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

std::uint64_t diskSize(std::string_view text) {
    return text.size() + static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string procSetObject(std::uint64_t object) {
    return pdfNumber(object) + " 0 obj\n[/PDF /Text]\nendobj\n";
}

std::string standardFontObject(std::uint64_t object, const ConversionSettings& s) {
    return pdfNumber(object) + " 0 obj\n<<\n/Type /Font\n/Subtype /Type1\n/Name /F1\n/BaseFont /" +
           s.baseFont + "\n/Encoding /MacRomanEncoding\n>>\nendobj\n";
}

std::string infoObject(std::uint64_t object, const ConversionSettings& s) {
    return pdfNumber(object) + " 0 obj\n<<\n/Title (" + documentInfoString(s.docTitle) +
           ")\n/Author (" + documentInfoString(s.docAuthor) + ")\n/Keywords (" +
           documentInfoString(s.docKeywords) + ")\n/Subject (" + documentInfoString(s.docSubject) +
           ")\n/Producer (" + documentInfoString(s.docProducer) +
           ")\n/CreationDate (10-5-2001)\n>>\nendobj\n";
}

void appendStreamHead(std::string& out, std::uint64_t object, std::uint64_t streamLength) {
    appendPdfNumber(out, object);
    out += " 0 obj\n<< /Length ";
    appendPdfNumber(out, streamLength);
    out += " >>\nstream";
}

void appendXrefEntry(std::string& out, std::uint64_t offset) {
    char digits[10];
    for (int i = 9; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + offset % 10);
        offset /= 10;
    }
    out.append(digits, 10);
    out.append(" 00000 n\r\n");
}

}  // namespace leafwright
