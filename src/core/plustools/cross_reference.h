#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/plustools/pdf_object.h"

namespace leafwright {

class PdfFile;

// Why a PDF's objects cannot be found the way Unspool finds them.
class PdfStructureError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where a PDF's objects stand: its cross-reference sections (classic tables
// or cross-reference streams), read from the "startxref" at the end of the
// file back through each section's /Prev, the newest entry for an object
// winning. Entries are kept for object numbers below kMaxObjects, eight
// bytes each.
class CrossReference {
  public:
    static constexpr std::uint32_t kMaxObjects = 1u << 22;

    struct Entry {
        enum class Kind : std::uint8_t { Missing, Free, InFile, InObjectStream };
        Kind kind = Kind::Missing;
        std::uint64_t offset = 0;  // of an object in the file
    };

    // Throws PdfStructureError, or PdfSyntaxError for a section that is no
    // PDF syntax.
    explicit CrossReference(PdfFile& file);

    Entry find(std::uint32_t number) const noexcept;
    // The newest trailer dictionary, with /Root and /Encrypt of older ones
    // when it lacks them.
    const PdfObject& trailer() const noexcept { return trailer_; }
    // Whether some objects stand in compressed object streams.
    bool usesObjectStreams() const noexcept { return objectStreams_; }

  private:
    std::uint64_t startOffset();
    // Reads the section at the offset; returns its trailer dictionary.
    PdfObject readSection(std::uint64_t offset);
    PdfObject readTable(std::uint64_t offset);
    PdfObject readStream(std::uint64_t offset);
    void set(std::uint64_t number, std::uint64_t packed);
    void takeTrailer(const PdfObject& trailer);

    PdfFile& file_;
    std::vector<std::uint64_t> entries_;  // packed: the kind in the top bits
    PdfObject trailer_;
    bool objectStreams_ = false;
};

}  // namespace leafwright
