#include "core/pdf/page_content.h"

#include "core/pdf/text_area.h"

namespace leafwright {

ContentFrame::ContentFrame(const ConversionSettings& s) : ContentFrame(s, s.textLeft, s.textTop) {}

ContentFrame::ContentFrame(const ConversionSettings& s, std::string_view left,
                           std::string_view top) {
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
    o += s.leadingText + " TL\r\n1 0 0 1 ";
    o += left;
    o += ' ';
    o += top;
    o += " Tm";
}

std::uint64_t ContentFrame::streamLength(std::uint64_t linesBytes) const noexcept {
    return streamLengthOfContent(opening_.size() + linesBytes + kClosing.size());
}

void ContentFrame::addLine(std::string& bytes, std::string_view escapedLine) {
    bytes.append(kLineStart);
    bytes.append(escapedLine);
    bytes.append(kLineEnd);
}

void ContentFrame::begin(PageContent& page) const {
    begin(page.bytes);
    page.streamLength = 0;
}

void ContentFrame::end(PageContent& page) {
    end(page.bytes);
    page.streamLength = streamLengthOfContent(page.bytes.size());
}

double textAreaWidth(const ConversionSettings& s) {
    return textArea(s).width;
}

PageContent buildPageContent(const ConversionSettings& settings,
                             const std::vector<std::string>& escapedLines) {
    PageContent page;
    buildPageContent(ContentFrame(settings), page, [&](std::string& bytes) {
        for (const std::string& line : escapedLines) ContentFrame::addLine(bytes, line);
        return true;
    });
    return page;
}

}  // namespace leafwright
