#include "core/pdf/furniture_form.h"

#include "core/pdf/document_objects.h"

namespace leafwright {

void writeFurnitureForm(TextFileWriter& out, std::uint64_t object, const ConversionSettings& s,
                        const std::string& fontResources, std::uint64_t procSet,
                        const std::string& content) {
    std::string head = pdfNumber(object);
    head += " 0 obj\n<< /Type /XObject /Subtype /Form /BBox [0 0 ";
    head += s.pageWidth;
    head += ' ';
    head += s.pageHeight;
    head += " ]\n/Resources << /Font << ";
    head += fontResources;
    head += " >> /ProcSet ";
    head += pdfNumber(procSet);
    head += " 0 R>>\n/Length ";
    head += pdfNumber(content.size());
    head += " >>\nstream\n";
    out.write(head);
    // Its lines end in CR LF already: written as they are.
    out.writeRaw(content);
    out.write(kStreamTail);
}

std::string furnitureFormResource(std::string_view name, std::uint64_t object) {
    std::string out = " /XObject << ";
    out += name;
    out += ' ';
    out += pdfNumber(object);
    out += " 0 R >>";
    return out;
}

}  // namespace leafwright
