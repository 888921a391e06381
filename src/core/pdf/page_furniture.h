#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/furniture_block.h"
#include "core/pdf/number_column.h"
#include "core/settings/conversion_settings.h"
#include "core/settings/page_template.h"

namespace leafwright {

class EmbeddedFurnitureText;
class ShownLines;
struct StandardFontWidths;

// What a fixed page shows besides the source's lines: a header on its
// first row and a footer on its last, each with a thin rule between it and
// the text, and line numbers in a gutter left of the text. All of it stands
// after the body's text object, each block marked as an artifact
// ("/Artifact BMC ... EMC"), so that text extraction that honours marked
// content, Unspool included, reads the body alone.
//
// The text is set as the body is: in the standard font (/F1 with
// MacRomanEncoding), or in a document drawn with embedded fonts through
// those fonts (EmbeddedFurnitureText), whatever its script.
class PageFurniture {
  public:
    // sourcePath names the source for {file}, {path} and {mtime}; lineCount
    // and pageCount are the document's. shown: how the body's lines are
    // drawn (nullptr for plain strings of the standard font).
    PageFurniture(const ConversionSettings& settings, const std::string& sourcePath,
                  std::uint64_t lineCount, std::uint64_t pageCount, ShownLines* shown);

    // Whether any furniture is drawn; without it pages are as they always were.
    bool any() const noexcept { return any_; }
    // Whether it is drawn in the standard font, whose drawing depends on
    // nothing the body's lines do: it may then be made after them.
    bool inStandardFont() const noexcept { return !embedded_; }
    // Where the body's first row goes from: the text matrix's origin.
    const std::string& bodyLeft() const noexcept { return bodyLeft_; }
    const std::string& bodyTop() const noexcept { return bodyTop_; }
    // How much narrower the text area is: the line-number gutter.
    double gutter() const noexcept { return gutter_; }

    // The document's page count for {pages}, when it is learnt after the
    // furniture was made.
    void setPageCount(std::uint64_t pageCount);
    // In a document of many sources, where this source's pages stand: its
    // first page is page firstSheet (from 0) of `sheets`, which {sheet} and
    // {sheets} count. Called after setPageCount.
    void numberSheetsFrom(std::uint64_t firstSheet, std::uint64_t sheets);
    // Draws what no page changes (the rules and the header's and footer's
    // texts that show no page number) once, as the content of a form that
    // each page calls by the name kFormName in its artifact block, instead
    // of in every page: the page's resources must then name the form. The
    // form's content is an artifact block too, for a reader that reads the
    // file's streams in turn (Unspool reading line by line). Only
    // in the standard font; in the embedded fonts it changes nothing.
    void drawRepeatedInForm();
    // The form's content stream when pages call it, else empty.
    const std::string& form() const noexcept { return form_; }
    static constexpr std::string_view kFormName = "/Fu";
    // Whether line numbers are drawn (row by row through Page).
    bool numbersLines() const noexcept { return gutter_ > 0; }
    // Lays out the text that the furniture of pages 0 to before `pages`
    // shows, writing nothing: embedded fonts then know its characters
    // before they are written. Nothing to do in the standard font.
    void learnCharacters(std::uint64_t pages) const;
    // Appends the furniture of page `page` (from 0), whose rows show `rows`
    // source lines from index firstLine, after the body's closing "ET".
    void append(std::string& out, std::uint64_t page, std::uint64_t firstLine,
                std::uint64_t rows) const;

    // The furniture of one page, after the body's closing "ET": the header
    // and the footer when made, then the line numbers row by row (a row that
    // continues a source line drawn on the row before carries no number),
    // closed by finish().
    class Page {
      public:
        Page(const PageFurniture& furniture, std::string& out, std::uint64_t page);
        void addRow(std::uint64_t lineIndex, bool firstRowOfLine);
        // The same for a row known to show its line's number: row (from 1)
        // of the page, after the rows added so far.
        void addNumberedRow(std::uint64_t row, std::uint64_t lineIndex);
        void finish();

      private:
        const PageFurniture& furniture_;
        std::string& out_;
        std::uint64_t row_ = 0;
        bool open_ = false;
        // In the standard font: the page's one artifact block and the
        // numbers' own compact writing in it.
        std::optional<FurnitureBlock> block_;
        std::optional<NumberColumn> column_;
    };

  private:
    // The header and the footer in the standard font as a page writes them,
    // made once: the bytes no page changes joined, and between them the
    // texts placed on each page, a field that shows the page's number
    // filled in page by page.
    struct BandPiece {
        // Without `placed`: bytes written as they are, which leave the
        // page's block as `after` says.
        std::string bytes;
        FurnitureBlock::State after;
        // With `placed`: a text placed from where the block stands, on a
        // line of its own when `newLine`; the escaped text is `bytes` and
        // its width `width`, or field `field` of `band` filled in.
        bool placed = false;
        bool newLine = false;
        const PageTemplate* band = nullptr;
        int field = -1;
        int align = -1;
        double width = 0;
        std::int64_t baselineMilli = 0;
        // A field filled in page by page is cut to this width; never when
        // negative.
        double room = -1;
    };
    // How wide each field of a band may be drawn (bandFieldRoom), as the
    // document's last page fills it in (its numbers are the widest), and
    // whether any field must be cut to that.
    struct BandRoom {
        std::array<double, 3> room{};
        bool cuts = false;
        // What field `field` is cut to; negative when no field is cut.
        double of(std::size_t field) const { return cuts ? room[field] : -1; }
    };
    using TextWidth = std::function<double(std::string_view)>;
    // text cut to room (fieldWithin), as it is when room is negative.
    static std::string within(std::string text, double room, const TextWidth& width);
    BandRoom bandRoom(const PageTemplate& band, const TextWidth& width) const;
    TextWidth standardWidth() const;
    TextWidth embeddedWidth() const;
    // The embedded fonts' room for a band: none until learnCharacters
    // measured it, and the band is drawn uncut meanwhile.
    std::optional<BandRoom>& embeddedRoom(const PageTemplate& band) const;
    void prepareBands();
    void prepareBandsAroundForm();
    void prepareBand(const PageTemplate& band, double baseline, FurnitureBlock& made,
                     std::string& bytes, bool& known);
    void appendPreparedBands(FurnitureBlock& block) const;
    void appendEmbeddedBands(std::string& out, std::uint64_t page) const;
    void appendEmbeddedField(const std::string& text, int align, double baseline,
                             std::string& out) const;
    double fieldLeft(double width, int align) const;
    // Writes escaped text of the given width as piece places it.
    void placeText(FurnitureBlock& block, const BandPiece& piece, std::string_view escaped,
                   double width) const;
    // A band drawn in the embedded fonts (the standard font's bands are
    // prepared once and filled in by appendPreparedBands).
    void appendBand(std::string& out, const PageTemplate& band, const PageFacts& facts,
                    double baseline, const std::string& rule) const;
    double headerBaseline() const;
    double footerBaseline() const;
    double ruleBelowHeader() const;
    double ruleAboveFooter() const;
    std::string ruleBlock(double at) const;
    std::string ruleSegment(double at) const;

    static constexpr int kMostDigits = 20;
    double textWidth(std::string_view escaped) const;

    ConversionSettings settings_;
    std::optional<PageTemplate> header_, footer_;
    PageFacts facts_;
    // The embedded fonts' drawing of the text, shared by copies; null in
    // the standard font.
    std::shared_ptr<EmbeddedFurnitureText> embedded_;
    bool any_ = false;
    double gutter_ = 0;
    double top_ = 0;  // where the first row hangs from, as the text matrix has it
    double bodyTopValue_ = 0;
    double smallSize_ = 0;
    std::uint64_t rows_ = 0;  // of the whole page, furniture included
    std::uint64_t firstSheet_ = 0;
    std::string bodyLeft_, bodyTop_, smallFont_;
    std::string bandTextOpening_;  // a band's text object begun, in its colour and size
    // In the embedded fonts, each rule's block; empty without a rule.
    std::string headerRule_, footerRule_;
    // In the standard font, the rules' path (both rules, one stroke).
    std::string rules_;
    // Where line numbers stand in the standard font.
    NumberColumnLayout numberLayout_;
    std::vector<BandPiece> bandPieces_;
    // Whether what no page changes goes in a form, and its content.
    bool inForm_ = false;
    std::string form_;
    // The facts of the page being made. A furniture makes the pages of one
    // thread (each thread has its own copy), so one is enough.
    mutable PageFacts pageFacts_;
    // In the embedded fonts, each band's room (header, footer), measured
    // once the fonts learnt every page's texts in the order pages show them.
    mutable std::optional<BandRoom> embeddedRooms_[2];
    mutable std::string filled_;                  // a field of it, escaped
    const StandardFontWidths* widths_ = nullptr;  // of the body's standard font
    double numberRight_ = 0;                      // where every line number ends
};

// The facts a header or footer shows about a source before its pages are
// known: its name, path, modification time, the title and the time now.
PageFacts sourcePageFacts(const ConversionSettings& settings, const std::string& sourcePath);

// Whether the header or footer of a source's fixed pages shows a character
// beyond Mac OS Roman, which only embedded fonts draw: the document is then
// drawn with them, as when its body holds such a character.
bool furnitureNeedsEmbeddedFonts(const ConversionSettings& settings, const std::string& sourcePath);

// A number as a content stream writes it: at most three decimals, no
// trailing zeros.
std::string pdfNumber(double value);

}  // namespace leafwright
