#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/conversion_settings.h"

namespace leafwright {

// The content stream of one page: its bytes exactly as they go into the file
// after the "stream" keyword (line ends already CR LF, starting with the line
// end that closes the keyword's line), and its stream length: every byte after
// that first line end up to and including the line end after "ET".
struct PageContent {
    std::string bytes;
    std::uint64_t streamLength = 0;
};

// The body of a PDF string for a line: backslash doubled, "(" and ")"
// preceded by a backslash; every other byte kept.
std::string escapeText(std::string_view line);

// The content of a page that shows the escaped lines in order.
PageContent buildPageContent(const ConversionSettings& settings,
                             const std::vector<std::string>& escapedLines);

// The fixed parts of a page's content for one set of settings, so that pages
// can be built line by line without building the fixed text again.
class ContentFrame {
  public:
    explicit ContentFrame(const ConversionSettings& settings);

    // Everything before the first line: text object, colours, font, leading
    // and text matrix (and the page rectangle on a coloured page).
    const std::string& opening() const noexcept { return opening_; }
    static constexpr std::string_view kClosing = "\r\nET\r\n";
    // What each shown line adds around its string body.
    static constexpr std::string_view kLineStart = "\r\n(";
    static constexpr std::string_view kLineEnd = ")'";
    static constexpr std::uint64_t kLineOverhead = kLineStart.size() + kLineEnd.size();

    // The stream length of a page showing lineCount lines whose string
    // bodies hold bodyBytes bytes in all.
    std::uint64_t streamLength(std::uint64_t lineCount, std::uint64_t bodyBytes) const noexcept;

    void begin(PageContent& page) const;
    static void addLine(PageContent& page, std::string_view escapedLine);
    static void end(PageContent& page);

  private:
    std::string opening_;
};

}  // namespace leafwright
