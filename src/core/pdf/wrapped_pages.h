#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pdf/page_content.h"
#include "core/pdf/page_furniture.h"
#include "core/pdf/wrap_marks.h"
#include "core/pdf/wrapped_lines.h"
#include "core/settings/conversion_settings.h"
#include "core/text/line_watch.h"
#include "core/text/source_text.h"

namespace leafwright {

class KeptPageBodies;
class RowRecorder;
class RowReplay;
class ShownLines;

// The rows of a page as its line numbers need them: each row's line (from 0)
// and whether it is its line's first row.
using PageRowLines = std::vector<std::pair<std::uint64_t, bool>>;

// Appends a page's furniture (headers, footers, line numbers) after its
// body: page from 0, rows as drawn on it.
void appendRowPageFurniture(const PageFurniture& furniture, std::string& out, std::uint64_t page,
                            const PageRowLines& rows);
// The rows kept as KeptPageBodies bytes, and read back from them.
void appendRowLines(std::string& out, const PageRowLines& rows);
PageRowLines rowLinesFrom(std::string_view bytes);

// Whether the lines of a fixed page are cut into rows (wrapped, or split at
// form feeds that end pages).
bool cutsLinesIntoRows(const ConversionSettings& settings);
// The standard font whose widths rows are measured in.
const StandardFontWidths& rowFontWidths(const ConversionSettings& settings);
// The text area's width in thousandths of the font size, as rows are
// measured; gutter: how much the line numbers narrow it.
std::int64_t rowAreaWidth(const ConversionSettings& settings, double gutter);

// Puts rows on fixed pages of `capacity` rows: a full page goes on to the
// next one, a form feed ends the page after its row. A form feed at the
// very end of the source adds no page (the empty row after it is not
// placed), and a source without rows gets one empty page.
class RowPages : public RowSink {
  public:
    explicit RowPages(std::uint64_t capacity) : capacity_(capacity) {}
    void row(std::string_view characters, bool continuation) override;
    void formFeed() override;
    // The source ended.
    void finish();
    std::uint64_t pages() const noexcept { return pages_; }

  protected:
    virtual void startPage() = 0;
    // row: from 0 at the page's top.
    virtual void drawRow(std::string_view characters, bool continuation, std::uint64_t row) = 0;
    virtual void drawFormFeed() = 0;

  private:
    void place(std::string_view characters, bool continuation);
    void placeHeldRow();

    std::uint64_t capacity_;
    std::uint64_t pages_ = 0;
    std::uint64_t rowsOnPage_ = 0;
    bool afterFormFeed_ = false;
    // The empty row after a form feed, placed only once something follows.
    bool heldEmptyRow_ = false;
};

// The first pass's share: counts the pages and the wrapped lines of a text
// in the standard font from every line it sees.
class RowPlan : public LineWatch {
  public:
    // gutter: how much the line numbers narrow the text area.
    RowPlan(const ConversionSettings& settings, std::uint64_t capacity, double gutter);
    // Once the text holds a character the standard font cannot draw, its
    // rows are measured later, as drawn: the rest of this pass is not.
    void beginLine() override {
        if (!measure_.metOtherText()) wrapper_.beginLine(pages_);
    }
    void add(std::string_view bytes) override {
        if (!measure_.metOtherText()) wrapper_.add(bytes);
    }
    void endLine() override {
        if (!measure_.metOtherText()) wrapper_.endLine();
    }
    // After the first pass.
    std::uint64_t pages();
    std::uint64_t wrappedLines() const noexcept { return wrapper_.wrappedLines(); }
    std::uint64_t linesPastEdge() const noexcept { return wrapper_.linesPastEdge(); }
    // Whether any line was cut: when none was, the lines are drawn whole, as
    // without these settings, byte for byte and at that speed.
    bool cutsAnyLine() const noexcept { return wrappedLines() > 0 || pages_.formFeeds > 0; }

  private:
    struct Counter : RowPages {
        using RowPages::RowPages;
        void startPage() override {}
        void drawRow(std::string_view, bool, std::uint64_t) override {}
        void drawFormFeed() override { ++formFeeds; }
        std::uint64_t formFeeds = 0;
    };
    Counter pages_;
    StandardRowMeasure measure_;
    LineWrapper wrapper_;
    bool finished_ = false;
};

// The pages of a text whose lines are cut into rows, made one after
// another from the source's second pass. A page is made whole before it is
// handed out (its rows are bounded, so it is small); only the text of the
// row being cut is held besides. A source read as Windows-1252 is cut and
// drawn as the UTF-8 of its characters.
class WrappedPages : private RowPages {
  public:
    // shown: nullptr for plain strings, else how the lines are drawn (the
    // standard font with tab stops, or embedded fonts).
    // furniture: the pages' headers, footers and line numbers (it must
    // outlive the pages); a continued row carries no line number.
    // measure: how wide rows are drawn (it must outlive the pages);
    // nullptr for the standard font's widths.
    WrappedPages(SourceText& source, const ConversionSettings& settings, ShownLines* shown,
                 std::uint64_t capacity, const PageFurniture& furniture,
                 RowMeasure* measure = nullptr);
    // Throws FileError naming the source when it now holds fewer pages.
    ~WrappedPages();
    // Hands the next page over into `page`, whose bytes' room the pages
    // after it reuse (a page is copied nowhere on its way to the writer).
    void takeNextPage(PageContent& page);
    // Throws FileError when the source holds more than the pages handed out.
    void expectDone();

    // Makes every page to the source's end without keeping any, to count
    // them (the lines are drawn as for writing, so embedded fonts learn
    // every character); the source is left at its end.
    struct Count {
        std::uint64_t pages = 0;
        std::uint64_t wrappedLines = 0;
        std::uint64_t formFeeds = 0;
        std::uint64_t linesPastEdge = 0;
    };
    Count countAll();
    // From now on, keeps each page made, without its furniture, in bodies,
    // and, when rows is given, its rows' lines there (appendRowLines), as
    // long as every page shapes a line: at the first that does not, both
    // forget every page, and the lines are only planned from there on.
    void keepPagesIn(KeptPageBodies& bodies, KeptPageBodies* rows) noexcept {
        keptBodies_ = &bodies;
        keptRows_ = rows;
    }
    // From now on, records the rows each page takes in cuts (RowRecorder),
    // so that a later reading replays them.
    void recordRowsIn(KeptPageBodies& cuts);
    // Takes the rows from a recording of every page instead of cutting the
    // lines again.
    void replayRows(std::unique_ptr<KeptPageBodies> cuts);

  private:
    void step();
    void startPage() override;
    void drawRow(std::string_view characters, bool continuation, std::uint64_t row) override;
    void drawFormFeed() override;
    void closePage();

    SourceText& source_;
    ContentFrame frame_;
    ShownLines* shown_;
    std::unique_ptr<LineWrapper> wrapper_;
    // While recording, the recorder the wrapper feeds; while replaying,
    // what hands the rows on instead of the wrapper.
    std::unique_ptr<RowRecorder> recorder_;
    std::unique_ptr<RowReplay> replay_;
    bool fromWindows1252_;
    std::string decoded_;  // a Windows-1252 piece as UTF-8
    std::uint64_t formFeeds_ = 0;
    std::optional<ContinuationArrows> arrows_;
    std::deque<PageContent> done_;
    PageContent current_;
    // Bytes of a page handed over or counted, kept for their room.
    std::string spare_;
    bool pageOpen_ = false;
    bool inLine_ = false;
    bool ended_ = false;
    std::string piece_;
    const PageFurniture& furniture_;
    std::uint64_t pagesClosed_ = 0;
    std::uint64_t lineIndex_ = 0;    // of the line being cut, from 0
    std::uint64_t inLineCount_ = 0;  // lines begun
    bool lineHasRow_ = false;        // whether a row of it was drawn
    // The rows of the page being made: their line and whether each is its
    // line's first.
    PageRowLines rowLines_;
    KeptPageBodies* keptBodies_ = nullptr;
    KeptPageBodies* keptRows_ = nullptr;
    std::uint64_t shapedAtPageStart_ = 0;
};

}  // namespace leafwright
