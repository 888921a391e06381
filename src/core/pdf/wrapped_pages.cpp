#include "core/pdf/wrapped_pages.h"

#include <string>

#include "core/fonts/standard_font_widths.h"
#include "core/pdf/kept_page_bodies.h"
#include "core/pdf/lines_past_edge.h"
#include "core/pdf/row_replay.h"
#include "core/pdf/shown_lines.h"
#include "core/platform/file_error.h"

namespace leafwright {

const StandardFontWidths& rowFontWidths(const ConversionSettings& settings) {
    const StandardFontWidths* widths = standardFontWidths(settings.baseFont);
    return widths ? *widths : kStandardFontWidths.front();
}

// Rows are cut by the same room the lines past the edge are counted by.
std::int64_t rowAreaWidth(const ConversionSettings& settings, double gutter) {
    const double size = settings.fontSizeValue > 0 ? settings.fontSizeValue : 1;
    return roomInFontUnits(textArea(settings, gutter).width, size);
}

bool cutsLinesIntoRows(const ConversionSettings& settings) {
    const MoreSettings& more = settings.chosen.more;
    return more.wrap != WrapMode::None || more.formFeed == FormFeedMode::Page;
}

void RowPages::row(std::string_view characters, bool continuation) {
    placeHeldRow();
    if (afterFormFeed_ && characters.empty() && !continuation) {
        heldEmptyRow_ = true;
        return;
    }
    place(characters, continuation);
}

void RowPages::formFeed() {
    placeHeldRow();
    drawFormFeed();
    afterFormFeed_ = true;
}

void RowPages::placeHeldRow() {
    if (!heldEmptyRow_) return;
    heldEmptyRow_ = false;
    place({}, false);
}

void RowPages::place(std::string_view characters, bool continuation) {
    if (pages_ == 0 || rowsOnPage_ == capacity_ || afterFormFeed_) {
        ++pages_;
        rowsOnPage_ = 0;
        startPage();
    }
    afterFormFeed_ = false;
    drawRow(characters, continuation, rowsOnPage_++);
}

void RowPages::finish() {
    heldEmptyRow_ = false;
    if (pages_ == 0) {
        ++pages_;
        startPage();
    }
}

RowPlan::RowPlan(const ConversionSettings& settings, std::uint64_t capacity, double gutter)
    : pages_(capacity),
      measure_(rowFontWidths(settings), rowAreaWidth(settings, gutter)),
      wrapper_(measure_, settings.chosen.more.wrap,
               settings.chosen.more.formFeed == FormFeedMode::Page) {}

std::uint64_t RowPlan::pages() {
    if (!finished_) pages_.finish();
    finished_ = true;
    return pages_.pages();
}

WrappedPages::WrappedPages(SourceText& source, const ConversionSettings& settings,
                           ShownLines* shown, std::uint64_t capacity,
                           const PageFurniture& furniture, RowMeasure* measure)
    : RowPages(capacity),
      source_(source),
      frame_(settings, furniture.bodyLeft(), furniture.bodyTop()),
      shown_(shown),
      wrapper_(measure ? std::make_unique<LineWrapper>(
                             *measure, settings.chosen.more.wrap,
                             settings.chosen.more.formFeed == FormFeedMode::Page)
                       : std::make_unique<LineWrapper>(
                             rowFontWidths(settings), rowAreaWidth(settings, furniture.gutter()),
                             settings.chosen.more.wrap,
                             settings.chosen.more.formFeed == FormFeedMode::Page)),
      fromWindows1252_(source.summary().encoding == SourceEncoding::Windows1252),
      furniture_(furniture) {
    if (measure) measure->restart();
    if (settings.chosen.more.wrapMark == WrapMark::Arrow)
        arrows_.emplace(textArea(settings, furniture.gutter()), std::stod(furniture.bodyTop()),
                        settings.leadingValue, static_cast<double>(settings.fontSizeValue),
                        settings.textRgb);
}

void appendRowPageFurniture(const PageFurniture& furniture, std::string& out, std::uint64_t page,
                            const PageRowLines& rows) {
    if (!furniture.any()) return;
    PageFurniture::Page drawn(furniture, out, page);
    if (furniture.numbersLines())
        for (const auto& [line, first] : rows) drawn.addRow(line, first);
    drawn.finish();
}

// Eight bytes of the line (least significant first), then 1 for a line's
// first row.
void appendRowLines(std::string& out, const PageRowLines& rows) {
    for (const auto& [line, first] : rows) {
        for (int shift = 0; shift < 64; shift += 8) out.push_back(static_cast<char>(line >> shift));
        out.push_back(first ? 1 : 0);
    }
}

PageRowLines rowLinesFrom(std::string_view bytes) {
    PageRowLines rows;
    for (std::size_t at = 0; at + 9 <= bytes.size(); at += 9) {
        std::uint64_t line = 0;
        for (int k = 0; k < 8; ++k)
            line |= std::uint64_t{static_cast<unsigned char>(bytes[at + k])} << (8 * k);
        rows.emplace_back(line, bytes[at + 8] != 0);
    }
    return rows;
}

WrappedPages::~WrappedPages() = default;

void WrappedPages::recordRowsIn(KeptPageBodies& cuts) {
    recorder_ = std::make_unique<RowRecorder>(static_cast<RowSink&>(*this), cuts);
}

void WrappedPages::replayRows(std::unique_ptr<KeptPageBodies> cuts) {
    replay_ = std::make_unique<RowReplay>(std::move(cuts), source_.path());
}

void WrappedPages::takeNextPage(PageContent& page) {
    while (done_.empty() && !ended_) step();
    if (done_.empty()) throw FileError(source_.path(), kChangedWhileRead);
    std::swap(page, done_.front());
    spare_ = std::move(done_.front().bytes);
    done_.pop_front();
}

void WrappedPages::expectDone() {
    while (!ended_) step();
    if (!done_.empty()) throw FileError(source_.path(), kChangedWhileRead);
}

// Reads on by one piece of a line, or starts the next line.
void WrappedPages::step() {
    if (!inLine_) {
        if (!source_.startLine()) {
            finish();
            closePage();
            ended_ = true;
            return;
        }
        if (inLineCount_++ > 0) ++lineIndex_;
        lineHasRow_ = false;
        if (replay_) {
            replay_->beginLine(*this);
        } else {
            wrapper_->beginLine(recorder_ ? static_cast<RowSink&>(*recorder_) : *this);
        }
        inLine_ = true;
    }
    piece_.clear();
    const bool more = source_.appendRawLinePiece(piece_);
    std::string_view text = piece_;
    if (fromWindows1252_ && !isAscii(piece_)) {
        decoded_.clear();
        for (std::size_t at = 0; at < piece_.size();) {
            char32_t character;
            at += decodeCharacter(piece_, at, SourceEncoding::Windows1252, character);
            appendUtf8(character, decoded_);
        }
        text = decoded_;
    }
    if (replay_) {
        replay_->add(text);
    } else {
        wrapper_->add(text);
    }
    if (!more) {
        if (replay_) {
            replay_->endLine();
        } else {
            wrapper_->endLine();
            if (recorder_) recorder_->endLine();
        }
        inLine_ = false;
    }
}

WrappedPages::Count WrappedPages::countAll() {
    Count count;
    while (!ended_) {
        step();
        count.pages += done_.size();
        if (!done_.empty()) spare_ = std::move(done_.back().bytes);
        done_.clear();
    }
    count.wrappedLines = wrapper_->wrappedLines();
    count.formFeeds = formFeeds_;
    count.linesPastEdge = wrapper_->linesPastEdge();
    return count;
}

void WrappedPages::startPage() {
    closePage();
    frame_.begin(current_);
    if (shown_) {
        shown_->beginPage();
        shapedAtPageStart_ = shown_->shapedPieces();
    }
    pageOpen_ = true;
}

void WrappedPages::closePage() {
    if (!pageOpen_) return;
    current_.bytes.append(ContentFrame::kClosing);
    if (arrows_) arrows_->appendTo(current_.bytes);
    // Rows are kept only all together; a page that shaped nothing is
    // cheaper drawn again, and so then is every page.
    if (keptBodies_ && shown_ && shown_->shapedPieces() == shapedAtPageStart_) {
        keptBodies_->forgetAll();
        if (keptRows_) keptRows_->forgetAll();
        keptBodies_ = keptRows_ = nullptr;
        shown_->setPlanning(true);
    }
    if (keptBodies_) {
        keptBodies_->add(current_.bytes);
        keptBodies_->endPage();
        if (keptRows_) {
            std::string rows;
            appendRowLines(rows, rowLines_);
            keptRows_->add(rows);
            keptRows_->endPage();
        }
    }
    if (recorder_) recorder_->endPage();
    appendRowPageFurniture(furniture_, current_.bytes, pagesClosed_, rowLines_);
    ++pagesClosed_;
    rowLines_.clear();
    current_.streamLength = streamLengthOfContent(current_.bytes.size());
    done_.push_back(std::move(current_));
    current_ = PageContent{};
    current_.bytes = std::move(spare_);
    current_.bytes.clear();
    spare_ = std::string();
    pageOpen_ = false;
}

void WrappedPages::drawRow(std::string_view characters, bool continuation, std::uint64_t row) {
    std::string& out = current_.bytes;
    rowLines_.emplace_back(lineIndex_, !lineHasRow_);
    lineHasRow_ = true;
    // The counting reading only teaches the fonts: a row it would teach
    // nothing is not drawn.
    if (shown_ && shown_->passKnownRow(characters, continuation)) {
        if (continuation && arrows_) arrows_->add(row, shown_->rowReadsRightToLeft());
        return;
    }
    if (continuation) out.append(kContinuedRowMark);
    if (shown_) {
        shown_->beginRow(out, continuation);
        shown_->add(out, characters, SourceEncoding::Utf8);
        shown_->endLine(out);
    } else {
        out.append(ContentFrame::kLineStart);
        appendEncodedEscaped(out, characters, SourceEncoding::Utf8);
        out.append(ContentFrame::kLineEnd);
    }
    if (continuation && arrows_) arrows_->add(row, shown_ && shown_->rowReadsRightToLeft());
}

void WrappedPages::drawFormFeed() {
    ++formFeeds_;
    current_.bytes.append(kFormFeedMark);
}

}  // namespace leafwright
