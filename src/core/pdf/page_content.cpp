#include "core/pdf/page_content.h"

namespace leafwright {

std::string escapeText(std::string_view line) {
    std::string escaped;
    escaped.reserve(line.size() + 8);
    for (char c : line) {
        if (c == '\\' || c == '(' || c == ')') escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

ContentFrame::ContentFrame(const ConversionSettings& s) {
    std::string& o = opening_;
    o = "\r\nBT\r\n";
    // White is the exact text "1 1 1"; any other page colour paints the page
    // first, inside the text object, before the text colour is set.
    if (s.pageRgb != "1 1 1") {
        o += s.pageRgb + " rg\r\n0 0 m\r\n";
        o += s.pageWidth + " 0 l\r\n";
        o += s.pageWidth + " " + s.pageHeight + " l\r\n";
        o += "0 " + s.pageHeight + " l\r\n0 0 l\r\nf\r\n";
    }
    o += s.textRgb + " rg\r\n/F1 " + s.fontSizeText + " Tf\r\n";
    o += s.leadingText + " TL\r\n1 0 0 1 " + s.textLeft + " " + s.textTop + " Tm";
}

std::uint64_t ContentFrame::streamLength(std::uint64_t lineCount,
                                         std::uint64_t bodyBytes) const noexcept {
    // The first two bytes close the "stream" keyword's line and do not count.
    return opening_.size() - 2 + lineCount * kLineOverhead + bodyBytes + kClosing.size();
}

void ContentFrame::begin(PageContent& page) const {
    page.bytes.assign(opening_);
    page.streamLength = 0;
}

void ContentFrame::addLine(PageContent& page, std::string_view escapedLine) {
    page.bytes.append(kLineStart);
    page.bytes.append(escapedLine);
    page.bytes.append(kLineEnd);
}

void ContentFrame::end(PageContent& page) {
    page.bytes.append(kClosing);
    page.streamLength = page.bytes.size() - 2;
}

PageContent buildPageContent(const ConversionSettings& settings,
                             const std::vector<std::string>& escapedLines) {
    ContentFrame frame(settings);
    PageContent page;
    frame.begin(page);
    for (const std::string& line : escapedLines) ContentFrame::addLine(page, line);
    ContentFrame::end(page);
    return page;
}

}  // namespace leafwright
