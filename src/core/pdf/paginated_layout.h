#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/pdf/lines_past_edge.h"
#include "core/pdf/page_content.h"
#include "core/pdf/page_furniture.h"
#include "core/pdf/pdf_writer.h"
#include "core/platform/text_file_reader.h"
#include "core/settings/conversion_settings.h"
#include "core/settings/line_capacity.h"
#include "core/text/source_text.h"

namespace leafwright {

class KeptPageBodies;
class RowMeasure;
class RowPlan;
class ShownLines;
class StandardRowFit;
class WrappedPages;

// Decides from a source's first pass how its lines are drawn: nullptr for
// plain strings of the standard font, else the ShownLines to use (it must
// outlive the layout).
using LineDrawingChoice = std::function<ShownLines*(const SourceSummary&)>;

// The pages of a source on fixed pages, made one at a time from the
// source's second pass: the document never stands whole in memory. A page
// whose content would take more than heldPageLimit bytes is not held either:
// its lines are read once to measure it (its length goes out first) and
// once more while it is written.
class PaginatedPages : public PageSequence {
  public:
    static constexpr std::size_t kHeldPageLimit = 4 << 20;

    PaginatedPages(TextFileReader& source, const ConversionSettings& settings,
                   std::int64_t capacity, std::size_t heldPageLimit = kHeldPageLimit,
                   const LineDrawingChoice& chooseDrawing = {});
    // The same pages read again through another reader of the same file
    // (TextFileReader::openAgain), without a first pass, drawn as plain
    // strings of the standard font.
    PaginatedPages(TextFileReader& source, const PaginatedPages& measured);
    // The pages being cut into rows refer to this object's source and
    // furniture, so it stays where it was made.
    PaginatedPages(PaginatedPages&&) = delete;
    ~PaginatedPages();

    // Reads every page once without writing, as writing will: embedded fonts
    // then know every character, in order of first use, before the fonts
    // (named before the pages) are written. What it draws of each page is
    // kept for writing (KeptPageBodies) unless keepForWriting is false (the
    // pages are only counted).
    void readAheadAllPages(bool keepForWriting = true);
    // The characters of the source no face could print (shown as "?"), as
    // that reading counted them; 0 before it.
    std::uint64_t notPrintable() const noexcept { return notPrintable_; }

    std::size_t pageCount() const override { return pageCount_; }
    std::uint64_t nextStreamLength() override;
    // Throws FileError naming the source when it changed since it was read.
    void writeContent(TextFileWriter& out) override;
    // The same, handing the bytes to take instead.
    void handContent(const TakeContent& take) override;
    // Moves on to a later page without making the pages before it, for a
    // reader that makes only the pages from `page` to before `end` next
    // (SourceText::moveToLines); throws like writeContent.
    void skipToPages(std::size_t page, std::size_t end);
    std::uint64_t lineCount() const noexcept { return source_.summary().lineCount; }
    // Whether lines are cut into rows (wrapped, or split at form feeds); such
    // pages are made by one reader only, in order.
    bool cutsLines() const noexcept { return wrapped_ != nullptr; }
    // Numbers the pages' sheets in a document of many sources: the first
    // page is page firstSheet (from 0) of `sheets`.
    void numberSheetsFrom(std::uint64_t firstSheet, std::uint64_t sheets) noexcept {
        furniture_.numberSheetsFrom(firstSheet, sheets);
    }
    // Draws what every page's furniture repeats once, in a form the pages
    // call (PageFurniture::drawRepeatedInForm); before any page is made.
    void drawFurnitureRepeatsInForm() { furniture_.drawRepeatedInForm(); }
    const std::string& furnitureForm() const override { return furniture_.form(); }
    // Source lines drawn in more than one row.
    std::uint64_t wrappedLines() const noexcept { return wrappedLines_; }
    // When they are counted (countsLinesPastEdge), the source lines that run
    // past the right edge of the page, once every page is written.
    std::optional<std::uint64_t> linesPastEdge();

  private:
    std::uint64_t linesOfNextPage() const;
    // Reads the source once more to cut its lines into rows measured by
    // measure (nullptr: the standard font's widths), drawing them as for
    // writing; its pages are then those rows', unless no line was cut. With
    // keep, the pages drawn are kept for writing when every one could be,
    // else (rows measured in embedded fonts) the rows themselves, so that
    // writing draws them without cutting the lines again (RowReplay).
    void cutRowsAsDrawn(RowMeasure* measure, bool keep = false);

    // Whether the first pass found a line that may need cutting into rows
    // (reading it again to learn the rows).
    bool planRowsOfMayCut();

    // Learns the rows when lines may be cut into rows and the first pass
    // found one that may need it (fit_ tells).
    std::unique_ptr<RowPlan> plan_;
    std::unique_ptr<StandardRowFit> fit_;
    // Declared before the source, whose readers add to its gauge as they end.
    PastEdgeCount pastEdge_;
    SourceText source_;
    ShownLines* shown_;
    std::uint64_t capacity_;
    std::size_t heldPageLimit_;
    std::size_t pageCount_;
    PageFurniture furniture_;
    ContentFrame frame_;
    std::string furnitureBytes_;  // of the page being made
    std::size_t pagesMade_ = 0;
    // The page being made: its content when held, else where its lines
    // start and how many there are.
    PageContent page_;
    bool held_ = true;
    SourceText::Position pageStart_;
    std::uint64_t pageLines_ = 0;
    std::uint64_t notPrintable_ = 0;
    const ConversionSettings* settings_ = nullptr;
    // Whether the rows are measured as the embedded fonts draw them, once
    // they know every character (readAheadAllPages).
    bool rowsByEmbeddedFonts_ = false;
    std::unique_ptr<RowMeasure> measure_;
    std::unique_ptr<WrappedPages> wrapped_;
    std::uint64_t wrappedLines_ = 0;
    // The pages' lines as the reading ahead drew them, and whether the page
    // being made is one of them.
    std::unique_ptr<KeptPageBodies> kept_;
    bool keptPage_ = false;
    // Where each run of pages not kept starts, the next one to go to, and
    // where the reading ahead ended.
    std::vector<SourceText::Position> drawnStarts_;
    std::size_t nextDrawnStart_ = 0;
    SourceText::Position planEnd_;
    // With lines cut into rows and numbered, each kept page's rows' lines.
    std::unique_ptr<KeptPageBodies> keptRowLines_;
};

// Lays the source out on pages of the chosen size, as many lines a page as
// fit: a full page is followed by a new one only when lines remain, and an
// empty source gives one empty page. Reads the source once to count; the
// pages read it again. Throws FileError naming the source when no line fits
// on the page, before anything is read.
PaginatedPages layOutPages(TextFileReader& source, const ConversionSettings& settings,
                           const LineDrawingChoice& chooseDrawing = {});

}  // namespace leafwright
