#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/conversion_settings.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// Takes a page's content bytes, piece by piece, in order.
using TakeContent = std::function<void(std::string_view bytes)>;

// The content stream of one page: its bytes exactly as they go into the file
// after the "stream" keyword (line ends already CR LF, starting with the line
// end that closes the keyword's line), and its stream length: every byte after
// that first line end up to and including the line end after "ET".
struct PageContent {
    std::string bytes;
    std::uint64_t streamLength = 0;
};

// The content bytes begin with the line end that closes the "stream"
// keyword's line, which the stream length leaves out.
inline constexpr std::uint64_t kStreamKeywordLineEnd = 2;
constexpr std::uint64_t streamLengthOfContent(std::uint64_t contentBytes) noexcept {
    return contentBytes - kStreamKeywordLineEnd;
}
constexpr std::uint64_t contentBytesOfStream(std::uint64_t streamLength) noexcept {
    return streamLength + kStreamKeywordLineEnd;
}

// The fixed parts of a page's content for one set of settings, so that pages
// can be built line by line without building the fixed text again.
class ContentFrame {
  public:
    explicit ContentFrame(const ConversionSettings& settings);
    // The same with the first row hanging from another point (left, top as
    // the text matrix writes them): room left for a header or line numbers.
    ContentFrame(const ConversionSettings& settings, std::string_view left, std::string_view top);

    // Everything before the first line: text object, colours, font, leading
    // and text matrix (and the page rectangle on a coloured page).
    const std::string& opening() const noexcept { return opening_; }
    static constexpr std::string_view kClosing = "\r\nET\r\n";
    // What each shown line adds around its string body: a line end, the
    // string's delimiters and the operator that moves to the next line and
    // shows it. Lines drawn by ShownLines use the same line end and operator.
    static constexpr std::string_view kLineStart = "\r\n(";
    static constexpr std::string_view kLineEnd = ")'";
    static constexpr std::uint64_t kLineOverhead = kLineStart.size() + kLineEnd.size();
    static constexpr std::string_view kLineBreak = kLineStart.substr(0, 2);
    static constexpr char kStringOpen = kLineStart[2];
    static constexpr char kStringClose = kLineEnd[0];
    static constexpr std::string_view kShowOnNextLine = kLineEnd.substr(1);

    // The stream length of a page whose lines take linesBytes bytes in all
    // between the opening and the closing.
    std::uint64_t streamLength(std::uint64_t linesBytes) const noexcept;

    void begin(std::string& bytes) const { bytes.assign(opening_); }
    static void addLine(std::string& bytes, std::string_view escapedLine);
    static void end(std::string& bytes) { bytes.append(kClosing); }
    void begin(PageContent& page) const;
    static void addLine(PageContent& page, std::string_view escapedLine) {
        addLine(page.bytes, escapedLine);
    }
    static void end(PageContent& page);

  private:
    std::string opening_;
};

// The width in points of the text area that lines right to left end at:
// from the left margin to the right one, as far from the page's right edge.
double textAreaWidth(const ConversionSettings& settings);

// The content of a page held in memory: the frame's opening, the lines
// addLines(bytes) appends, the closing. Returns false, the page unfinished,
// when addLines does.
template <typename AddLines>
bool buildPageContent(const ContentFrame& frame, PageContent& page, AddLines addLines) {
    frame.begin(page);
    if (!addLines(page.bytes)) return false;
    ContentFrame::end(page);
    return true;
}

// The content of a page that shows the escaped lines in order.
PageContent buildPageContent(const ConversionSettings& settings,
                             const std::vector<std::string>& escapedLines);

}  // namespace leafwright
