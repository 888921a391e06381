#include "core/pdf/tabbed_strings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/page_content.h"
#include "core/text/mac_roman_encode.h"
#include "core/text/text_encoding.h"

namespace leafwright {

TabbedStrings::TabbedStrings(const StandardFontWidths& widths)
    : TabbedStrings(ContentFrame::kStringOpen, ContentFrame::kStringClose, widths.spaceWidth()) {
    standard_ = &widths;
    asciiAdvances_ = AsciiAdvances::of(widths);
}

void TabbedStrings::beginLine(std::string& out) {
    out.append(ContentFrame::kLineBreak);
    restartLine();
}

void TabbedStrings::endLine(std::string& out) {
    if (mode_ == Mode::Pending) out.push_back(open_);
    out.push_back(close_);
    out.append(mode_ == Mode::Array ? "] TJ" : ContentFrame::kShowOnNextLine);
    if (columns_ > widestColumns_) widestColumns_ = columns_;
}

void TabbedStrings::addStandard(std::string& out, char32_t character) {
    const char byte = character < 0x80 ? static_cast<char>(character) : macRomanCode(character);
    openString(out);
    const std::size_t before = out.size();
    escapeText(out, std::string_view(&byte, 1));
    x_ += standard_->width(static_cast<unsigned char>(byte));
    if (character == U'\t')
        advanceToTabStop(out);
    else
        columns_ += out.size() - before;  // escapes included
}

std::size_t TabbedStrings::addStandardAscii(std::string& out, std::string_view bytes) {
    std::int64_t advance = 0;
    const std::size_t length = asciiAdvances_.knownStart(bytes, INT64_MAX, advance);
    if (length == 0) return 0;
    openString(out);
    // As escapeText writes them, the stretches between escapes in one piece.
    const std::size_t before = out.size();
    const char* at = bytes.data();
    const char* const end = at + length;
    while (at != end) {
        const char* escaped = std::find_if(at, end, isEscapedInStrings);
        out.append(at, escaped);
        if (escaped == end) break;
        out.push_back('\\');
        out.push_back(*escaped);
        at = escaped + 1;
    }
    x_ += advance;
    columns_ += out.size() - before;  // escapes included
    return length;
}

void TabbedStrings::move(std::string& out, std::int64_t thousandths) {
    if (thousandths == 0) return;
    openString(out);
    out.push_back(close_);
    out.append(mode_ == Mode::First ? "' [" : " ");
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, thousandths).ptr);
    out.push_back(' ');
    out.push_back(open_);
    mode_ = Mode::Array;
}

void TabbedStrings::interrupt(std::string& out, std::string_view operators) {
    if (mode_ == Mode::Pending) out.append("T*");
    if (mode_ != Mode::Pending) out.push_back(close_);
    if (mode_ == Mode::First) out.push_back('\'');
    if (mode_ == Mode::Array) out.append("] TJ");
    out.push_back(' ');
    out.append(operators);
    out.append(" [");
    out.push_back(open_);
    mode_ = Mode::Array;
}

void TabbedStrings::advanceToTabStop(std::string& out) {
    moveTo(out, nextTabStop(x_, tabStop_));
    addTabColumns();
}

}  // namespace leafwright
