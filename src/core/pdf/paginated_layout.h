#pragma once

#include <cstddef>
#include <cstdint>

#include "pdf/page_content.h"
#include "pdf/pdf_writer.h"
#include "pdf/source_text.h"
#include "platform/text_file_reader.h"
#include "settings/conversion_settings.h"

namespace leafwright {

// Lines a page shows: trunc((pageHeightValue - topMarginValue) / leadingValue)
// - 1. Zero or less when no line fits.
std::int64_t lineCapacity(const ConversionSettings& settings);

// The pages of a source on fixed pages, built one at a time from the
// source's second pass: the document never stands whole in memory.
class PaginatedPages : public PageSequence {
  public:
    PaginatedPages(TextFileReader& source, const ConversionSettings& settings,
                   std::int64_t capacity);

    std::size_t pageCount() const override { return pageCount_; }
    const PageContent& nextPage() override;
    std::uint64_t lineCount() const noexcept { return source_.summary().lineCount; }

  private:
    SourceText source_;
    ContentFrame frame_;
    std::uint64_t capacity_;
    std::size_t pageCount_;
    std::size_t pagesMade_ = 0;
    PageContent page_;
};

// Lays the source out on pages of the chosen size, as many lines a page as
// fit: a full page is followed by a new one only when lines remain, and an
// empty source gives one empty page. Reads the source once to count; the
// pages read it again. Throws FileError naming the source when no line fits
// on the page, before anything is read.
PaginatedPages layOutPages(TextFileReader& source, const ConversionSettings& settings);

}  // namespace leafwright
