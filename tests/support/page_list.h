#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/pdf/page_content.h"
#include "core/pdf/pdf_writer.h"
#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"

namespace leafwright::testing {

// Pages already held in memory, for writing documents whose content a test
// built itself.
class PageList : public PageSequence {
  public:
    explicit PageList(const std::vector<PageContent>& pages) : pages_(pages) {}
    std::size_t pageCount() const override { return pages_.size(); }
    std::uint64_t nextStreamLength() override { return pages_.at(next_++).streamLength; }
    void writeContent(TextFileWriter& out) override { out.writeRaw(pages_.at(next_ - 1).bytes); }
    void handContent(const TakeContent& take) override { take(pages_.at(next_ - 1).bytes); }

  private:
    const std::vector<PageContent>& pages_;
    std::size_t next_ = 0;
};

inline void writePageTreePdf(TextFileWriter& out, const ConversionSettings& settings,
                             const std::vector<PageContent>& pages) {
    PageList list(pages);
    leafwright::writePageTreePdf(out, settings, list);
}

inline void writeSinglePagePdf(TextFileWriter& out, const ConversionSettings& settings,
                               const PageContent& page) {
    leafwright::writeSinglePagePdf(out, settings, page.streamLength,
                                   [&](const TakeContent& take) { take(page.bytes); });
}

}  // namespace leafwright::testing
