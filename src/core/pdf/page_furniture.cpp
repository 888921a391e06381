#include "core/pdf/page_furniture.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/line_number_gutter.h"
#include "core/settings/line_capacity.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

constexpr std::string_view kOpenArtifact = "/Artifact BMC\r\n";
constexpr std::string_view kCloseArtifact = "EMC\r\n";
constexpr std::string_view kLineNumberGrey = "0.5 g\r\n";
constexpr double kRuleWidth = 0.5;
// Where a face's letters reach above and below the baseline, as shares of
// the size, to place a rule midway between two rows.
constexpr double kAscent = 0.75;
constexpr double kDescent = 0.2;

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::time_t modificationTime(const std::string& path) {
    struct stat facts {};
    return ::stat(path.c_str(), &facts) == 0 ? facts.st_mtime : 0;
}

std::string escapedMacRoman(const std::string& utf8) {
    std::string out;
    appendEncodedEscaped(out, utf8, SourceEncoding::Utf8);
    return out;
}

void appendTextAt(std::string& out, double x, double y, std::string_view escaped) {
    out += "1 0 0 1 ";
    out += pdfNumber(x);
    out += ' ';
    out += pdfNumber(y);
    out += " Tm\r\n(";
    out += escaped;
    out += ") Tj\r\n";
}

}  // namespace

std::string pdfNumber(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.3f", std::round(value * 1000.0) / 1000.0);
    std::string out(text);
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
    if (out == "-0") out = "0";
    return out;
}

PageFurniture::PageFurniture(const ConversionSettings& s, const std::string& sourcePath,
                             std::uint64_t lineCount, std::uint64_t pageCount, bool standardFont)
    : settings_(s), standardFont_(standardFont) {
    const MoreSettings& more = s.chosen.more;
    if (!more.header.empty()) header_.emplace(more.header);
    if (!more.footer.empty()) footer_.emplace(more.footer);
    const std::uint64_t largest = lineNumberOf(s, lineCount == 0 ? 0 : lineCount - 1);
    gutter_ = gutterWidth(s, largest);
    any_ = header_ || footer_ || gutter_ > 0;
    bodyLeft_ = s.textLeft;
    bodyTop_ = s.textTop;
    if (!any_) return;

    top_ = s.pageHeightValue - s.topMarginValue;
    bodyTopValue_ = top_ - (header_ ? s.leadingValue : 0.0);
    rows_ = static_cast<std::uint64_t>(std::max<std::int64_t>(pageRows(s), 0));
    if (gutter_ > 0) bodyLeft_ = pdfNumber(s.leftMarginValue + gutter_);
    if (header_) bodyTop_ = pdfNumber(bodyTopValue_);
    smallSize_ = s.fontSizeValue * kFurnitureScale;
    smallFont_ = "/F1 " + pdfNumber(smallSize_) + " Tf\r\n";

    facts_.pages = facts_.sheets = pageCount;
    facts_.path = sourcePath;
    facts_.file = fileNameOf(sourcePath);
    facts_.title = s.chosen.title;
    facts_.now = templateNow(facts_.utc);
    facts_.mtime = modificationTime(sourcePath);
}

double PageFurniture::textWidth(const std::string& escaped) const {
    const StandardFontWidths* found = standardFontWidths(settings_.baseFont);
    const StandardFontWidths& widths = found ? *found : kStandardFontWidths.front();
    double units = 0;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\') ++i;
        if (i < escaped.size()) units += widths.width(static_cast<unsigned char>(escaped[i]));
    }
    return units / 1000.0 * smallSize_;
}

void PageFurniture::appendField(std::string& out, const std::string& text, int align,
                                double baseline) const {
    if (text.empty()) return;
    const std::string escaped = escapedMacRoman(text);
    const double left = settings_.leftMarginValue;
    const double right = settings_.pageWidthValue - settings_.leftMarginValue;
    const double width = textWidth(escaped);
    const double x = align < 0 ? left : align == 0 ? (left + right - width) / 2 : right - width;
    appendTextAt(out, x, baseline, escaped);
}

void PageFurniture::appendBand(std::string& out, const PageTemplate& band, const PageFacts& facts,
                               double baseline, double ruleAt) const {
    if (standardFont_) {
        const PageTemplate::Filled filled = band.fill(facts);
        if (!filled.left.empty() || !filled.centre.empty() || !filled.right.empty()) {
            out += kOpenArtifact;
            out += "BT\r\n";
            out += settings_.textRgb;
            out += " rg\r\n";
            out += smallFont_;
            appendField(out, filled.left, -1, baseline);
            appendField(out, filled.centre, 0, baseline);
            appendField(out, filled.right, 1, baseline);
            out += "ET\r\n";
            out += kCloseArtifact;
        }
    }
    if (!settings_.chosen.more.headerRule) return;
    out += kOpenArtifact;
    out += "q\r\n";
    out += settings_.textRgb;
    out += " RG\r\n";
    out += pdfNumber(kRuleWidth);
    out += " w\r\n";
    const std::string y = pdfNumber(ruleAt);
    out += pdfNumber(settings_.leftMarginValue) + ' ' + y + " m\r\n";
    out +=
        pdfNumber(settings_.pageWidthValue - settings_.leftMarginValue) + ' ' + y + " l\r\nS\r\n";
    out += "Q\r\n";
    out += kCloseArtifact;
}

void PageFurniture::append(std::string& out, std::uint64_t page, std::uint64_t firstLine,
                           std::uint64_t rows) const {
    if (!any_) return;
    const double leading = settings_.leadingValue;
    const double size = settings_.fontSizeValue;
    PageFacts facts = facts_;
    facts.page = facts.sheet = page + 1;
    if (header_) {
        const double baseline = top_ - leading;
        const double below = baseline - kDescent * smallSize_;
        const double above = baseline - leading + kAscent * size;
        appendBand(out, *header_, facts, baseline, (below + above) / 2);
    }
    if (footer_) {
        const double baseline = top_ - static_cast<double>(rows_) * leading;
        const double below = baseline + leading - kDescent * size;
        const double above = baseline + kAscent * smallSize_;
        appendBand(out, *footer_, facts, baseline, (below + above) / 2);
    }
    if (gutter_ > 0 && standardFont_) {
        Numbers numbers(*this, out);
        // Each row shows one whole source line.
        for (std::uint64_t row = 0; row < rows; ++row) numbers.addRow(firstLine + row, true);
        numbers.finish();
    }
}

PageFurniture::Numbers::Numbers(const PageFurniture& furniture, std::string& out)
    : furniture_(furniture), out_(out) {}

void PageFurniture::Numbers::addRow(std::uint64_t lineIndex, bool firstRowOfLine) {
    const std::uint64_t row = ++row_;
    if (!firstRowOfLine) return;
    const ConversionSettings& s = furniture_.settings_;
    const std::uint64_t number = lineNumberOf(s, lineIndex);
    if (!showsLineNumber(s, number)) return;
    if (!open_) {
        out_ += kOpenArtifact;
        out_ += "BT\r\n";
        out_ += kLineNumberGrey;
        out_ += furniture_.smallFont_;
        open_ = true;
    }
    const std::string digits = std::to_string(number);
    // Right-aligned one digit short of the text, which the gutter leaves free.
    const double digit = furniture_.textWidth("0");
    const double x = s.leftMarginValue + furniture_.gutter_ - digit - furniture_.textWidth(digits);
    const double y = furniture_.bodyTopValue_ - static_cast<double>(row) * s.leadingValue;
    appendTextAt(out_, x, y, digits);
}

void PageFurniture::Numbers::finish() {
    if (!open_) return;
    out_ += "ET\r\n";
    out_ += kCloseArtifact;
    open_ = false;
}

}  // namespace leafwright
