#include "core/pdf/paginated_layout.h"

#include <algorithm>
#include <cassert>

#include "core/pdf/content_stream.h"
#include "core/pdf/embedded_row_measure.h"
#include "core/pdf/kept_page_bodies.h"
#include "core/pdf/line_number_gutter.h"
#include "core/pdf/shown_lines.h"
#include "core/pdf/standard_row_fit.h"
#include "core/pdf/wrapped_pages.h"
#include "core/platform/file_error.h"

namespace leafwright {

namespace {

std::size_t pagesFor(std::uint64_t lines, std::uint64_t capacity) {
    return lines == 0 ? 1 : static_cast<std::size_t>((lines + capacity - 1) / capacity);
}

// The lines the gutter is made wide enough to number. Cutting lines into rows
// needs the text area's width during the first pass, before the lines are
// counted, so then the gutter is sized for as many lines as the file has
// bytes (a bound that the count never passes).
std::uint64_t numberedLinesBound(const ConversionSettings& settings, const TextFileReader& source,
                                 std::uint64_t lineCount) {
    return cutsLinesIntoRows(settings) ? std::max(lineCount, source.size() + 1) : lineCount;
}

double rowGutter(const ConversionSettings& settings, const TextFileReader& source) {
    return gutterWidth(settings, lineNumberOf(settings, source.size()));
}

std::unique_ptr<StandardRowFit> rowFitFor(const ConversionSettings& settings,
                                          const TextFileReader& source) {
    if (!cutsLinesIntoRows(settings)) return nullptr;
    return std::make_unique<StandardRowFit>(settings, rowGutter(settings, source));
}

SourceText firstPass(TextFileReader& source, const StandardRowFit* fit) {
    if (fit) return SourceText(source, fit->rule());
    return SourceText(source, SourceText::Measures::LineCount);
}

}  // namespace

PaginatedPages::PaginatedPages(TextFileReader& source, const ConversionSettings& settings,
                               std::int64_t capacity, std::size_t heldPageLimit,
                               const LineDrawingChoice& chooseDrawing)
    : plan_(cutsLinesIntoRows(settings)
                ? std::make_unique<RowPlan>(settings, static_cast<std::uint64_t>(capacity),
                                            rowGutter(settings, source))
                : nullptr),
      fit_(rowFitFor(settings, source)),
      source_(firstPass(source, fit_.get())),
      shown_(chooseDrawing ? chooseDrawing(source_.summary()) : nullptr),
      capacity_(static_cast<std::uint64_t>(capacity)),
      heldPageLimit_(heldPageLimit),
      pageCount_(pagesFor(source_.summary().lineCount, capacity_)),
      furniture_(settings, source.path(),
                 numberedLinesBound(settings, source, source_.summary().lineCount), pageCount_,
                 shown_),
      frame_(settings, furniture_.bodyLeft(), furniture_.bodyTop()) {
    if (shown_) shown_->setTextAreaWidth(textAreaWidth(settings) - furniture_.gutter());
    settings_ = &settings;
    // The first pass measured UTF-8 text in the standard font's widths.
    // Windows-1252 text is measured again as its characters; text drawn
    // with embedded fonts once they are chosen (readAheadAllPages). Until
    // then, text within MacRomanEncoding drawn in a chosen face keeps the
    // standard rows, as a reading without the fonts counts them.
    const SourceSummary& summary = source_.summary();
    const bool embedded = shown_ && shown_->embedded();
    if (plan_ &&
        (summary.beyondMacRoman || (embedded && summary.encoding == SourceEncoding::Windows1252))) {
        // lines whole until the embedded fonts measure them (a Windows-1252
        // text in a chosen face too: the standard font's widths are not its)
        rowsByEmbeddedFonts_ = shown_ && shown_->embedded();
    } else if (plan_ && summary.encoding == SourceEncoding::Windows1252) {
        // Drawn as the rows a reading of its characters cuts. When lines
        // are wrapped and every one fits, that reading would cut none and
        // find none past the edge; unwrapped lines it counts past the edge.
        if (source_.mayCutRows() || settings.chosen.more.wrap == WrapMode::None)
            cutRowsAsDrawn(nullptr);
        else
            pastEdge_.setCounted(settings, 0);
    } else if (plan_ && planRowsOfMayCut()) {
        rowsByEmbeddedFonts_ = shown_ && shown_->embedded();
        pageCount_ = static_cast<std::size_t>(plan_->pages());
        furniture_.setPageCount(pageCount_);
        wrappedLines_ = plan_->wrappedLines();
        wrapped_ = std::make_unique<WrappedPages>(source_, settings, shown_, capacity_, furniture_);
        pastEdge_.setCounted(settings, plan_->linesPastEdge());
    } else {
        rowsByEmbeddedFonts_ = plan_ && shown_ && shown_->embedded();
        pastEdge_.startForWholeLines(settings, source_, shown_, furniture_.gutter());
    }
    plan_.reset();
    fit_.reset();
}

bool PaginatedPages::planRowsOfMayCut() {
    if (!source_.mayCutRows()) return false;
    source_.showLinesTo(*plan_);
    return plan_->cutsAnyLine();
}

std::optional<std::uint64_t> PaginatedPages::linesPastEdge() {
    return pastEdge_.lines(source_, shown_);
}

void PaginatedPages::cutRowsAsDrawn(RowMeasure* measure, bool keep) {
    wrapped_.reset();
    const SourceText::Position start = source_.position();
    WrappedPages::Count count;
    std::unique_ptr<KeptPageBodies> bodies;
    std::unique_ptr<KeptPageBodies> rows;
    if (keep) {
        bodies = std::make_unique<KeptPageBodies>();
        if (furniture_.numbersLines()) rows = std::make_unique<KeptPageBodies>();
    }
    // Rows measured in embedded fonts cost more to cut than to keep: when
    // the pages are drawn again for writing, their rows are taken from this
    // reading.
    std::unique_ptr<KeptPageBodies> cuts;
    if (measure && keep) cuts = std::make_unique<KeptPageBodies>();
    {
        WrappedPages counting(source_, *settings_, measure ? shown_ : nullptr, capacity_,
                              furniture_, measure);
        if (bodies) counting.keepPagesIn(*bodies, rows.get());
        if (cuts) counting.recordRowsIn(*cuts);
        count = counting.countAll();
    }
    const bool cut = count.wrappedLines != 0 || count.formFeeds != 0;
    // Pages cut into rows are kept only all together: a page cannot be drawn
    // again from where it starts, as a line may run onto it from the page
    // before. Kept, the source stands at its end.
    if (cut && bodies && bodies->keeping() && bodies->keptPages() == count.pages &&
        (!rows || (rows->keeping() && rows->keptPages() == count.pages))) {
        kept_ = std::move(bodies);
        keptRowLines_ = std::move(rows);
    } else {
        source_.returnTo(start);
    }
    if (!cut) {
        pageCount_ = pagesFor(source_.summary().lineCount, capacity_);
        wrappedLines_ = 0;
    } else {
        pageCount_ = static_cast<std::size_t>(count.pages);
        wrappedLines_ = count.wrappedLines;
        wrapped_ = std::make_unique<WrappedPages>(source_, *settings_, shown_, capacity_,
                                                  furniture_, measure);
        if (!kept_ && cuts && cuts->keeping() && cuts->keptPages() == count.pages)
            wrapped_->replayRows(std::move(cuts));
    }
    furniture_.setPageCount(pageCount_);
    // The rows were measured as drawn, so their count of lines past the
    // edge stands, whether or not any line was cut.
    pastEdge_.setCounted(*settings_, count.linesPastEdge);
}

PaginatedPages::~PaginatedPages() = default;

PaginatedPages::PaginatedPages(TextFileReader& source, const PaginatedPages& measured)
    : source_(source, measured.source_),
      shown_(nullptr),
      capacity_(measured.capacity_),
      heldPageLimit_(measured.heldPageLimit_),
      pageCount_(measured.pageCount_),
      furniture_(measured.furniture_),
      frame_(measured.frame_) {}

void PaginatedPages::readAheadAllPages(bool keepForWriting) {
    if (!shown_) return;  // plain strings name no fonts
    if (rowsByEmbeddedFonts_) {
        // The rows are cut as drawn, which teaches the fonts every
        // character in the order of writing.
        const std::uint64_t notPrintableBefore = shown_->notPrintable();
        measure_ =
            std::make_unique<EmbeddedRowMeasure>(*shown_->embeddedStrings(), shown_->shaper(),
                                                 rowAreaWidth(*settings_, furniture_.gutter()));
        shown_->setPlanning(true, keepForWriting);
        cutRowsAsDrawn(measure_.get(), keepForWriting);
        furniture_.learnCharacters(pageCount_);
        shown_->setPlanning(false);
        notPrintable_ = shown_->notPrintable() - notPrintableBefore;
        return;
    }
    // Pages that shape lines are kept as this reading draws them, so that
    // writing takes them instead of shaping their lines again; others are
    // cheaper drawn again than kept. A page is drawn to be kept when the
    // one before it shaped (and the first page); writing draws the others
    // again from where their lines start.
    const SourceText::Position start = source_.position();
    if (keepForWriting) kept_ = std::make_unique<KeptPageBodies>();
    drawnStarts_.clear();
    nextDrawnStart_ = 0;
    std::string bytes;
    bool keeping = false;  // the page being read
    auto keep = [&](std::string_view piece) {
        if (keeping) kept_->add(piece);
        return true;
    };
    const std::uint64_t lines = source_.summary().lineCount;
    const std::uint64_t notPrintableBefore = shown_->notPrintable();
    bool drawToKeep = true;
    std::size_t page = 0;
    for (std::uint64_t placed = 0; placed < lines; placed += capacity_, ++page) {
        const SourceText::Position pageStart = source_.position();
        keeping = kept_ && kept_->keeping() && drawToKeep;
        const std::uint64_t shapedBefore = shown_->shapedPieces();
        shown_->setPlanning(true, keeping);
        shown_->beginPage();
        produceLines(source_, std::min(capacity_, lines - placed), bytes, kContentPieceBytes, keep,
                     shown_);
        drawToKeep = shown_->shapedPieces() != shapedBefore;
        if (keeping && drawToKeep) {
            kept_->add(bytes);
            kept_->endPage();
        } else if (kept_) {
            kept_->dropPage();
        }
        if (kept_ && kept_->startsDrawnRun(page)) drawnStarts_.push_back(pageStart);
        bytes.clear();
    }
    furniture_.learnCharacters(pageCount_);
    shown_->setPlanning(false);
    notPrintable_ = shown_->notPrintable() - notPrintableBefore;
    if (kept_ && kept_->keptPages() > 0) {
        // Writing goes to drawnStarts_ for the pages not kept, and back to
        // the end to check that nothing was added to the source.
        planEnd_ = source_.position();
        return;
    }
    kept_.reset();
    source_.returnTo(start);
}

std::uint64_t PaginatedPages::linesOfNextPage() const {
    std::uint64_t lines = source_.summary().lineCount;
    std::uint64_t placed = static_cast<std::uint64_t>(pagesMade_) * capacity_;
    return placed >= lines ? 0 : std::min(capacity_, lines - placed);
}

std::uint64_t PaginatedPages::nextStreamLength() {
    if (wrapped_) {
        if (kept_) {
            page_.bytes.clear();
            kept_->appendNextTo(page_.bytes);
            std::string rows;
            if (keptRowLines_) keptRowLines_->appendNextTo(rows);
            appendRowPageFurniture(furniture_, page_.bytes, pagesMade_, rowLinesFrom(rows));
            page_.streamLength = streamLengthOfContent(page_.bytes.size());
        } else {
            wrapped_->takeNextPage(page_);
        }
        held_ = true;
        return page_.streamLength;
    }
    pageLines_ = linesOfNextPage();
    keptPage_ = kept_ && kept_->isKept(pagesMade_);
    // A page drawn again after a kept one starts where the reading ahead
    // found its lines.
    if (kept_ && kept_->startsDrawnRun(pagesMade_))
        source_.returnTo(drawnStarts_.at(nextDrawnStart_++));
    pageStart_ = source_.position();
    const std::uint64_t firstLine = static_cast<std::uint64_t>(pagesMade_) * capacity_;
    // The furniture of a page held whole goes straight after its body when
    // nothing in it depends on the order it is made in.
    const bool furnitureAfter = furniture_.any() && furniture_.inStandardFont();
    furnitureBytes_.clear();
    if (!furnitureAfter) furniture_.append(furnitureBytes_, pagesMade_, firstLine, pageLines_);

    // Most pages are small: they are made once and held until written.
    if (shown_ && !keptPage_) shown_->beginPage();
    held_ = buildPageContent(frame_, page_, [&](std::string& bytes) {
        if (keptPage_) {
            if (bytes.size() + kept_->nextSize() >= heldPageLimit_) return false;
            kept_->appendNextTo(bytes);
            return true;
        }
        return produceLines(
            source_, pageLines_, bytes, heldPageLimit_, [](std::string_view) { return false; },
            shown_);
    });
    if (held_) {
        const std::size_t bodySize = page_.bytes.size();
        if (furnitureAfter) furniture_.append(page_.bytes, pagesMade_, firstLine, pageLines_);
        page_.bytes += furnitureBytes_;
        if (page_.bytes.size() != bodySize)
            page_.streamLength = streamLengthOfContent(page_.bytes.size());
        return page_.streamLength;
    }
    if (furnitureAfter) furniture_.append(furnitureBytes_, pagesMade_, firstLine, pageLines_);
    if (keptPage_) {
        page_.streamLength =
            streamLengthOfContent(frame_.opening().size() + kept_->nextSize() +
                                  ContentFrame::kClosing.size() + furnitureBytes_.size());
        return page_.streamLength;
    }
    source_.returnTo(pageStart_);
    std::uint64_t total = 0;
    auto count = [&](std::string_view bytes) {
        total += bytes.size();
        return true;
    };
    produceContent(frame_, source_, pageLines_, page_.bytes, kContentPieceBytes, count, shown_);
    count(page_.bytes);
    count(furnitureBytes_);
    page_.streamLength = streamLengthOfContent(total);
    return page_.streamLength;
}

void PaginatedPages::writeContent(TextFileWriter& out) {
    handContent([&](std::string_view bytes) { out.writeRaw(bytes); });
}

void PaginatedPages::handContent(const TakeContent& take) {
    if (held_) {
        take(page_.bytes);
    } else if (keptPage_) {
        take(frame_.opening());
        kept_->handNext(take);
        take(ContentFrame::kClosing);
        take(furnitureBytes_);
    } else {
        source_.returnTo(pageStart_);
        std::uint64_t handed = 0;
        auto hand = [&](std::string_view bytes) {
            handed += bytes.size();
            take(bytes);
            return true;
        };
        produceContent(frame_, source_, pageLines_, page_.bytes, kContentPieceBytes, hand, shown_);
        hand(page_.bytes);
        hand(furnitureBytes_);
        source_.expectWritten(handed, contentBytesOfStream(page_.streamLength));
    }
    if (++pagesMade_ == pageCount_) {
        if (wrapped_ && !kept_) wrapped_->expectDone();
        if (kept_ && !wrapped_) source_.returnTo(planEnd_);
        source_.expectEnd();
    }
}

void PaginatedPages::skipToPages(std::size_t page, std::size_t end) {
    // Kept pages are handed out in order, from the first: a reader that
    // skips pages draws plain strings only, which are never kept.
    assert(!kept_);
    source_.moveToLines(static_cast<std::uint64_t>(page) * capacity_,
                        static_cast<std::uint64_t>(end) * capacity_);
    pagesMade_ = page;
    if (pagesMade_ == pageCount_) source_.expectEnd();
}

PaginatedPages layOutPages(TextFileReader& source, const ConversionSettings& settings,
                           const LineDrawingChoice& chooseDrawing) {
    std::int64_t capacity = lineCapacity(settings);
    if (capacity <= 0) throw FileError(source.path(), "No line fits on the page");
    return PaginatedPages(source, settings, capacity, PaginatedPages::kHeldPageLimit,
                          chooseDrawing);
}

}  // namespace leafwright
