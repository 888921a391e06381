#include "core/pdf/page_furniture.h"

#include <sys/stat.h>

#include <charconv>
#include <cmath>
#include <utility>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/band_fields.h"
#include "core/pdf/embedded_furniture_text.h"
#include "core/pdf/line_number_gutter.h"
#include "core/pdf/number_column.h"
#include "core/pdf/shown_lines.h"
#include "core/settings/line_capacity.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

constexpr std::string_view kOpenArtifact = "/Artifact BMC\r\n";
constexpr std::string_view kCloseArtifact = "EMC\r\n";
constexpr std::string_view kLineNumberGrey = "0.5 g";
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

std::int64_t milli(double value) {
    return std::llround(value * 1000.0);
}

}  // namespace

std::string pdfNumber(double value) {
    // In whole thousandths, without the locale or the cost of printf: a
    // page of numbered lines writes many of these.
    std::string out;
    appendMilli(out, milli(value));
    return out;
}

PageFacts sourcePageFacts(const ConversionSettings& s, const std::string& sourcePath) {
    PageFacts facts;
    facts.path = sourcePath;
    facts.file = fileNameOf(sourcePath);
    facts.title = s.chosen.title;
    facts.now = templateNow(facts.utc);
    facts.mtime = modificationTime(sourcePath);
    return facts;
}

bool furnitureNeedsEmbeddedFonts(const ConversionSettings& s, const std::string& sourcePath) {
    // Only fixed pages carry furniture.
    const MoreSettings& more = s.chosen.more;
    if (s.chosen.selfAdaptation == 1 || (more.header.empty() && more.footer.empty())) return false;
    const PageFacts facts = sourcePageFacts(s, sourcePath);
    auto beyond = [](const std::string& text) {
        for (std::size_t at = 0; at < text.size();) {
            char32_t character;
            at += decodeCharacter(text, at, SourceEncoding::Utf8, character);
            if (isBeyondMacRoman(character)) return true;
        }
        return false;
    };
    // Page numbers are digits: the first page tells for every page.
    for (const std::string* text : {&more.header, &more.footer}) {
        if (text->empty()) continue;
        const PageTemplate::Filled filled = PageTemplate(*text).fill(facts);
        if (beyond(filled.left) || beyond(filled.centre) || beyond(filled.right)) return true;
    }
    return false;
}

PageFurniture::PageFurniture(const ConversionSettings& s, const std::string& sourcePath,
                             std::uint64_t lineCount, std::uint64_t pageCount, ShownLines* shown)
    : settings_(s) {
    const StandardFontWidths* found = standardFontWidths(s.baseFont);
    widths_ = found ? found : &kStandardFontWidths.front();
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
    smallFont_ = "/F1 " + pdfNumber(smallSize_) + " Tf";
    bandTextOpening_ = "BT\r\n" + settings_.textRgb + " rg " + smallFont_ + "\r\n";
    if (shown && shown->fonts())
        embedded_ =
            std::make_shared<EmbeddedFurnitureText>(*shown->fonts(), shown->shaper(), smallSize_);

    facts_ = sourcePageFacts(s, sourcePath);
    facts_.pages = facts_.sheets = pageCount;

    // What stays the same on every page is written once.
    if (more.headerRule && embedded_) {
        if (header_) headerRule_ = ruleBlock(ruleBelowHeader());
        if (footer_) footerRule_ = ruleBlock(ruleAboveFooter());
    } else if (more.headerRule && (header_ || footer_)) {
        rules_ = "q\r\n" + settings_.textRgb + " RG " + pdfNumber(kRuleWidth) + " w\r\n";
        if (header_) rules_ += ruleSegment(ruleBelowHeader());
        if (footer_) rules_ += ruleSegment(ruleAboveFooter());
        rules_ += "S\r\nQ\r\n";
    }
    if (gutter_ > 0) {
        const double digit = textWidth("0");
        numberRight_ = s.leftMarginValue + gutter_ - digit;
        NumberColumnLayout& layout = numberLayout_;
        for (int digits = 1; digits <= kMostDigits; ++digits)
            layout.leftMilli.push_back(
                std::llround((s.leftMarginValue + gutter_ - digit * (digits + 1)) * 1000.0));
        layout.topValue = bodyTopValue_;
        layout.rowLeading = s.leadingValue;
        for (std::uint64_t row = 1; row <= rows_; ++row)
            layout.baselineMilli.push_back(layout.baselineOf(row));
        layout.everyRows = static_cast<std::uint64_t>(std::max(more.lineNumbers, 1));
        layout.leadingMilli =
            std::llround(static_cast<double>(layout.everyRows) * s.leadingValue * 1000.0);
        layout.textOpening = "BT\r\n" + smallFont_ + "\r\n";
        layout.numbersOpening = std::string(kLineNumberGrey) + ' ';
        appendMilli(layout.numbersOpening, layout.leadingMilli);
        layout.numbersOpening += " TL\r\n";
    }
    prepareBands();
}

void PageFurniture::setPageCount(std::uint64_t pageCount) {
    facts_.pages = facts_.sheets = pageCount;
    for (std::optional<BandRoom>& room : embeddedRooms_) room.reset();
    prepareBands();
}

void PageFurniture::numberSheetsFrom(std::uint64_t firstSheet, std::uint64_t sheets) {
    // The embedded fonts keep the room measured when their characters were
    // learnt: a cut measured now could need a character they lack.
    firstSheet_ = firstSheet;
    facts_.sheets = sheets;
    prepareBands();
}

void PageFurniture::drawRepeatedInForm() {
    inForm_ = true;
    prepareBands();
}

void PageFurniture::prepareBands() {
    bandPieces_.clear();
    form_.clear();
    if (!any_ || embedded_) return;
    if (inForm_) {
        prepareBandsAroundForm();
        return;
    }
    pageFacts_ = facts_;
    bool anyText = false;
    for (const std::optional<PageTemplate>* band : {&header_, &footer_}) {
        if (!*band) continue;
        for (std::size_t field = 0; field < 3; ++field)
            anyText = anyText || (*band)->changesByPage(field) ||
                      !(*band)->filledField(field, facts_).empty();
    }
    if (!anyText && rules_.empty()) return;
    // The bytes are made by a block of their own, as a page would write
    // them, and cut where a page's number changes what follows.
    std::string bytes;
    FurnitureBlock made(bytes);
    std::string opening(kOpenArtifact);
    opening += rules_;
    if (anyText) opening += bandTextOpening_;
    made.open(opening, anyText);
    bool known = true;  // whether the made bytes' end state holds for every page
    if (header_) prepareBand(*header_, headerBaseline(), made, bytes, known);
    if (footer_) prepareBand(*footer_, footerBaseline(), made, bytes, known);
    if (!bytes.empty()) bandPieces_.push_back({bytes, made.state()});
}

void PageFurniture::prepareBand(const PageTemplate& band, double baseline, FurnitureBlock& made,
                                std::string& bytes, bool& known) {
    const BandRoom room = bandRoom(band, standardWidth());
    bool newLine = true;
    for (std::size_t field = 0; field < 3; ++field) {
        BandPiece placed;
        placed.placed = true;
        placed.newLine = newLine;
        placed.align = static_cast<int>(field) - 1;
        placed.baselineMilli = milli(baseline);
        if (band.changesByPage(field)) {
            placed.band = &band;
            placed.field = static_cast<int>(field);
            placed.room = room.of(field);
        } else {
            const std::string text =
                within(band.filledField(field, facts_), room.of(field), standardWidth());
            if (text.empty()) continue;
            placed.bytes = escapedMacRoman(text);
            placed.width = textWidth(placed.bytes);
        }
        newLine = false;
        if (known && placed.field < 0) {
            // Placed from a place known on every page: made once.
            placeText(made, placed, placed.bytes, placed.width);
            continue;
        }
        if (!bytes.empty()) bandPieces_.push_back({bytes, made.state()});
        bytes.clear();
        const bool byPage = placed.field >= 0;
        if (!byPage) {
            // From here on the text line starts where this text does.
            FurnitureBlock::State after = made.state();
            after.lineOpen = true;
            after.x = milli(fieldLeft(placed.width, placed.align));
            after.y = placed.baselineMilli;
            made.setState(after);
        }
        bandPieces_.push_back(std::move(placed));
        known = !byPage;
    }
}

void PageFurniture::prepareBandsAroundForm() {
    pageFacts_ = facts_;
    // The texts no page changes go in the form; those that show the page's
    // number stay in the page, each placed from the one before.
    std::vector<BandPiece> fixed, byPage;
    for (const std::optional<PageTemplate>* band : {&header_, &footer_}) {
        if (!*band) continue;
        const double baseline = band == &header_ ? headerBaseline() : footerBaseline();
        const BandRoom room = bandRoom(**band, standardWidth());
        bool fixedNewLine = true, byPageNewLine = true;
        for (std::size_t field = 0; field < 3; ++field) {
            BandPiece placed;
            placed.placed = true;
            placed.align = static_cast<int>(field) - 1;
            placed.baselineMilli = milli(baseline);
            if ((*band)->changesByPage(field)) {
                placed.band = &**band;
                placed.field = static_cast<int>(field);
                placed.room = room.of(field);
                placed.newLine = std::exchange(byPageNewLine, false);
                byPage.push_back(std::move(placed));
                continue;
            }
            const std::string text =
                within((*band)->filledField(field, facts_), room.of(field), standardWidth());
            if (text.empty()) continue;
            placed.bytes = escapedMacRoman(text);
            placed.width = textWidth(placed.bytes);
            placed.newLine = std::exchange(fixedNewLine, false);
            fixed.push_back(std::move(placed));
        }
    }
    // The form draws in its own graphics state: the page's stays as it was.
    // Its content is an artifact block of its own as well, for a reader
    // that reads every stream of the file in turn rather than page by page.
    if (!rules_.empty() || !fixed.empty()) {
        FurnitureBlock made(form_);
        std::string opening(kOpenArtifact);
        opening += rules_;
        if (!fixed.empty()) opening += bandTextOpening_;
        made.open(opening, !fixed.empty());
        for (const BandPiece& piece : fixed) placeText(made, piece, piece.bytes, piece.width);
        made.close();
    }
    if (form_.empty() && byPage.empty()) return;
    std::string opening(kOpenArtifact);
    if (!form_.empty()) {
        opening += kFormName;
        opening += " Do\r\n";
    }
    if (!byPage.empty()) opening += bandTextOpening_;
    bandPieces_.push_back({opening, FurnitureBlock::State{true, !byPage.empty(), false, 0, 0}});
    for (BandPiece& piece : byPage) bandPieces_.push_back(std::move(piece));
}

void PageFurniture::appendPreparedBands(FurnitureBlock& block) const {
    for (const BandPiece& piece : bandPieces_) {
        if (!piece.placed) {
            block.append(piece.bytes, piece.after);
            continue;
        }
        if (piece.field >= 0) {
            const std::string text =
                within(piece.band->filledField(static_cast<std::size_t>(piece.field), pageFacts_),
                       piece.room, standardWidth());
            filled_.clear();
            appendEncodedEscaped(filled_, text, SourceEncoding::Utf8);
        }
        const std::string& escaped = piece.field >= 0 ? filled_ : piece.bytes;
        const double width = piece.field >= 0 ? textWidth(escaped) : piece.width;
        placeText(block, piece, escaped, width);
    }
}

void PageFurniture::placeText(FurnitureBlock& block, const BandPiece& piece,
                              std::string_view escaped, double width) const {
    if (piece.newLine) block.endLine();
    block.moveTo(milli(fieldLeft(width, piece.align)), piece.baselineMilli);
    block.write("(");
    block.write(escaped);
    block.write(")Tj");
}

double PageFurniture::headerBaseline() const {
    return top_ - settings_.leadingValue;
}

double PageFurniture::footerBaseline() const {
    return top_ - static_cast<double>(rows_) * settings_.leadingValue;
}

double PageFurniture::ruleBelowHeader() const {
    const double baseline = headerBaseline();
    const double below = baseline - kDescent * smallSize_;
    const double above = baseline - settings_.leadingValue + kAscent * settings_.fontSizeValue;
    return (below + above) / 2;
}

double PageFurniture::ruleAboveFooter() const {
    const double baseline = footerBaseline();
    const double below = baseline + settings_.leadingValue - kDescent * settings_.fontSizeValue;
    const double above = baseline + kAscent * smallSize_;
    return (below + above) / 2;
}

std::string PageFurniture::ruleBlock(double at) const {
    std::string out(kOpenArtifact);
    out += "q\r\n";
    out += settings_.textRgb;
    out += " RG\r\n";
    out += pdfNumber(kRuleWidth);
    out += " w\r\n";
    const std::string y = pdfNumber(at);
    out += pdfNumber(settings_.leftMarginValue) + ' ' + y + " m\r\n";
    out +=
        pdfNumber(settings_.pageWidthValue - settings_.leftMarginValue) + ' ' + y + " l\r\nS\r\n";
    out += "Q\r\n";
    out += kCloseArtifact;
    return out;
}

std::string PageFurniture::ruleSegment(double at) const {
    const std::string y = pdfNumber(at);
    return pdfNumber(settings_.leftMarginValue) + ' ' + y + " m " +
           pdfNumber(settings_.pageWidthValue - settings_.leftMarginValue) + ' ' + y + " l\r\n";
}

double PageFurniture::textWidth(std::string_view escaped) const {
    const StandardFontWidths& widths = *widths_;
    double units = 0;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\') ++i;
        if (i < escaped.size()) units += widths.width(static_cast<unsigned char>(escaped[i]));
    }
    return units / 1000.0 * smallSize_;
}

PageFurniture::BandRoom PageFurniture::bandRoom(const PageTemplate& band,
                                                const TextWidth& width) const {
    PageFacts last = facts_;
    last.page = facts_.pages;
    last.sheet = firstSheet_ + facts_.pages;
    BandRoom room;
    std::array<double, 3> widths{};
    for (std::size_t field = 0; field < 3; ++field) {
        const std::string text = band.filledField(field, last);
        widths[field] = text.empty() ? 0 : width(text);
    }
    const double across = settings_.pageWidthValue - 2 * settings_.leftMarginValue;
    // The gap is a space in the standard font's widths in either case:
    // measuring it in embedded fonts would teach them a space the pages may
    // never show.
    room.room = bandFieldRoom(widths, across, textWidth(kFieldGap));
    room.cuts = room.room != widths;
    return room;
}

std::string PageFurniture::within(std::string text, double room, const TextWidth& width) {
    return room < 0 ? text : fieldWithin(text, room, width);
}

PageFurniture::TextWidth PageFurniture::standardWidth() const {
    return [this](std::string_view text) { return textWidth(escapedMacRoman(std::string(text))); };
}

PageFurniture::TextWidth PageFurniture::embeddedWidth() const {
    return [this](std::string_view text) { return embedded_->width(embedded_->lay(text)); };
}

std::optional<PageFurniture::BandRoom>& PageFurniture::embeddedRoom(
    const PageTemplate& band) const {
    return embeddedRooms_[header_ && &band == &*header_ ? 0 : 1];
}

double PageFurniture::fieldLeft(double width, int align) const {
    const double left = settings_.leftMarginValue;
    const double right = settings_.pageWidthValue - settings_.leftMarginValue;
    return align < 0 ? left : align == 0 ? (left + right - width) / 2 : right - width;
}

void PageFurniture::appendEmbeddedField(const std::string& text, int align, double baseline,
                                        std::string& out) const {
    if (text.empty()) return;
    const EmbeddedFurnitureText::Laid laid = embedded_->lay(text);
    embedded_->draw(out, laid, fieldLeft(embedded_->width(laid), align), baseline);
}

void PageFurniture::appendBand(std::string& out, const PageTemplate& band, const PageFacts& facts,
                               double baseline, const std::string& rule) const {
    PageTemplate::Filled filled = band.fill(facts);
    // Cut once the fonts learnt every page's texts (learnCharacters).
    if (const std::optional<BandRoom>& room = embeddedRoom(band); room && room->cuts) {
        const TextWidth width = embeddedWidth();
        filled.left = within(std::move(filled.left), room->of(0), width);
        filled.centre = within(std::move(filled.centre), room->of(1), width);
        filled.right = within(std::move(filled.right), room->of(2), width);
    }
    if (!filled.left.empty() || !filled.centre.empty() || !filled.right.empty()) {
        out += kOpenArtifact;
        out += "BT\r\n";
        out += settings_.textRgb;
        out += " rg\r\n";
        embedded_->beginBlock();
        appendEmbeddedField(filled.left, -1, baseline, out);
        appendEmbeddedField(filled.centre, 0, baseline, out);
        appendEmbeddedField(filled.right, 1, baseline, out);
        out += "ET\r\n";
        out += kCloseArtifact;
    }
    out += rule;
}

void PageFurniture::appendEmbeddedBands(std::string& out, std::uint64_t page) const {
    PageFacts facts = facts_;
    facts.page = page + 1;
    facts.sheet = firstSheet_ + page + 1;
    if (header_) appendBand(out, *header_, facts, headerBaseline(), headerRule_);
    if (footer_) appendBand(out, *footer_, facts, footerBaseline(), footerRule_);
}

void PageFurniture::learnCharacters(std::uint64_t pages) const {
    if (!any_ || !embedded_) return;
    std::string discarded;
    auto layAll = [&] {
        for (std::uint64_t page = 0; page < pages; ++page) {
            appendEmbeddedBands(discarded, page);
            discarded.clear();
        }
    };
    if (header_ || footer_) {
        // The fonts learn the texts as the pages show them, uncut (as the
        // reading that counted the pages laid them), then the cut ones, when
        // a field is too wide for its room.
        for (std::optional<BandRoom>& room : embeddedRooms_) room.reset();
        layAll();
        bool cuts = false;
        for (const std::optional<PageTemplate>* band : {&header_, &footer_}) {
            if (!*band) continue;
            std::optional<BandRoom>& room = embeddedRoom(**band);
            room = bandRoom(**band, embeddedWidth());
            cuts = cuts || room->cuts;
        }
        if (cuts) layAll();
    }
    if (gutter_ > 0) embedded_->layDigits("0123456789");
}

void PageFurniture::append(std::string& out, std::uint64_t page, std::uint64_t firstLine,
                           std::uint64_t rows) const {
    if (!any_) return;
    Page furniture(*this, out, page);
    if (numbersLines()) {
        // Each row shows one whole source line; the line at index i shows
        // its number when i is a multiple of N, so only those rows are
        // visited.
        const std::uint64_t every = numberLayout_.everyRows;
        const std::uint64_t first = (firstLine + every - 1) / every * every;
        for (std::uint64_t line = first; line < firstLine + rows; line += every)
            furniture.addNumberedRow(line - firstLine + 1, line);
    }
    furniture.finish();
}

PageFurniture::Page::Page(const PageFurniture& furniture, std::string& out, std::uint64_t page)
    : furniture_(furniture), out_(out) {
    if (!furniture.any_) return;
    if (furniture.embedded_) {
        furniture.appendEmbeddedBands(out, page);
        return;
    }
    block_.emplace(out);
    furniture.pageFacts_.page = page + 1;
    furniture.pageFacts_.sheet = furniture.firstSheet_ + page + 1;
    furniture.appendPreparedBands(*block_);
    if (furniture.numbersLines()) column_.emplace(furniture.numberLayout_, *block_);
}

void PageFurniture::Page::addRow(std::uint64_t lineIndex, bool firstRowOfLine) {
    const std::uint64_t row = ++row_;
    if (!firstRowOfLine) return;
    const ConversionSettings& s = furniture_.settings_;
    if (!showsLineNumber(s, lineNumberOf(s, lineIndex))) return;
    addNumberedRow(row, lineIndex);
}

void PageFurniture::Page::addNumberedRow(std::uint64_t row, std::uint64_t lineIndex) {
    row_ = row;
    const std::uint64_t number = lineNumberOf(furniture_.settings_, lineIndex);
    if (column_) {
        column_->add(row, number);
        return;
    }
    if (!furniture_.embedded_) return;
    EmbeddedFurnitureText& embedded = *furniture_.embedded_;
    if (!open_) {
        out_ += kOpenArtifact;
        out_ += "BT\r\n";
        out_ += kLineNumberGrey;
        out_ += "\r\n";
        embedded.beginBlock();
        open_ = true;
    }
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    // Digits of an embedded face need not all be as wide: each number is
    // measured to end where the others do.
    const EmbeddedFurnitureText::Laid& laid =
        embedded.layDigits(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    embedded.draw(
        out_, laid, furniture_.numberRight_ - embedded.width(laid),
        furniture_.bodyTopValue_ - static_cast<double>(row) * furniture_.settings_.leadingValue);
}

void PageFurniture::Page::finish() {
    if (column_) column_->flush();
    if (block_) {
        block_->close();
        return;
    }
    if (!open_) return;
    out_ += "ET\r\n";
    out_ += kCloseArtifact;
    open_ = false;
}

}  // namespace leafwright
