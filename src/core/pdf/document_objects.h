#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

// The pieces every document layout writes alike. The fixed texts are written
// in text mode: each "\n" becomes CR LF.
inline constexpr std::string_view kPdfHeader = "%PDF-1.3\n";
inline constexpr std::string_view kStreamTail = "endstream\nendobj\n";
// Long lists (kids, cross-reference entries) go out in pieces of this size.
inline constexpr std::size_t kWriteChunk = 1 << 16;

std::string pdfNumber(std::uint64_t value);
void appendPdfNumber(std::string& out, std::uint64_t value);

// Bytes a text takes on disk.
std::uint64_t diskSize(std::string_view text);

std::string procSetObject(std::uint64_t object);
// The standard font as /F1, MacRomanEncoding.
std::string standardFontObject(std::uint64_t object, const ConversionSettings& s);
std::string infoObject(std::uint64_t object, const ConversionSettings& s);
// "N 0 obj\n<< /Length L >>\nstream" appended to out.
void appendStreamHead(std::string& out, std::uint64_t object, std::uint64_t streamLength);

// One cross-reference entry, 20 bytes on disk: the offset in ten digits.
void appendXrefEntry(std::string& out, std::uint64_t offset);

// Writes the references of a page tree's /Kids array, "N 0 R " for each
// of its count pages (objectOf(k) the object of page k), and closes the
// array and its node, in chunks so that a document of any length costs
// bounded memory.
template <typename ObjectOf>
void writeKidsAndClose(TextFileWriter& out, std::uint64_t count, ObjectOf objectOf) {
    std::string kids;
    kids.reserve(kWriteChunk + 32);
    for (std::uint64_t page = 0; page < count; ++page) {
        appendPdfNumber(kids, objectOf(page));
        kids += " 0 R ";
        if (kids.size() >= kWriteChunk) {
            out.writeRaw(kids);
            kids.clear();
        }
    }
    out.writeRaw(kids);
    out.write("]\n>>\nendobj\n");
}

// Writes "xref" with its table (offsets in object order, from object 1) and
// the trailer.
template <typename OffsetOf>
void writeXrefAndTrailer(TextFileWriter& out, std::uint64_t objectCount, OffsetOf offsetOf,
                         std::uint64_t infoObject) {
    const std::uint64_t xrefOffset = out.position();
    const std::uint64_t entries = objectCount + 1;
    out.write("xref\n0 " + pdfNumber(entries) + "\n");
    out.write("0000000000 65535 f\n");
    std::string chunk;
    chunk.reserve(kWriteChunk + 32);
    for (std::uint64_t object = 1; object <= objectCount; ++object) {
        appendXrefEntry(chunk, offsetOf(object));
        if (chunk.size() >= kWriteChunk) {
            out.writeRaw(chunk);
            chunk.clear();
        }
    }
    out.writeRaw(chunk);
    out.write("trailer\n<<\n/Size " + pdfNumber(entries) + "\n/Info " + pdfNumber(infoObject) +
              " 0 R\n/Root 1 0 R\n>>\nstartxref\n" + pdfNumber(xrefOffset) + "\n%%EOF\n");
}

}  // namespace leafwright
