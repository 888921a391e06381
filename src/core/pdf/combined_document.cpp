#include "core/pdf/combined_document.h"

#include <climits>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/encoding/source_decoding.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/font_objects.h"
#include "core/fonts/font_provider.h"
#include "core/pdf/combined_drawing.h"
#include "core/pdf/combined_pages.h"
#include "core/pdf/conversion_run.h"
#include "core/pdf/document_objects.h"
#include "core/pdf/flate_content.h"
#include "core/pdf/line_drawing.h"
#include "core/pdf/outline_title.h"
#include "core/pdf/page_colour.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/single_page_layout.h"
#include "core/pdf/text_measure.h"
#include "core/pdf/wrapped_pages.h"
#include "core/platform/file_error.h"
#include "core/platform/own_source.h"
#include "core/platform/run_watch.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/text/source_text.h"

namespace leafwright {

namespace {

// The objects of a combined document: five fixed ones, the page resources
// (written after the pages, once the fonts are known), an outline item per
// source, two a page (page, content), then the fonts.
constexpr std::uint64_t kCatalog = 1;
constexpr std::uint64_t kOutlineRoot = 2;
constexpr std::uint64_t kProcSet = 3;
constexpr std::uint64_t kInfo = 4;
constexpr std::uint64_t kPageRoot = 5;
constexpr std::uint64_t kResources = 6;
constexpr std::uint64_t kFirstItem = 7;

// Which file a reader read: a later reader that finds another version reads
// another text than the plan was made from.
struct SourceVersion {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t seconds = 0, nanoseconds = 0;
    bool operator==(const SourceVersion&) const = default;
};

SourceVersion versionOf(const TextFileReader& reader) {
    return {reader.device(), reader.inode(), reader.size(), reader.modifiedTime().tv_sec,
            reader.modifiedTime().tv_nsec};
}

// Runs the work on one source; any failure names it.
template <typename Work>
void onSource(const std::string& path, Work work) {
    try {
        work();
    } catch (const FileError&) {
        throw;
    } catch (const RunCancelled&) {
        throw;
    } catch (const std::exception& error) {
        throw FileError::fromException(path, error);
    }
}

// The first reading: how many pages each source takes, whether any needs
// embedded fonts, and which version of it was read.
struct Plan {
    explicit Plan(bool startOnOddPages) : pages(startOnOddPages) {}
    CombinedPages pages;
    std::vector<SourceVersion> versions;
    bool embedded = false;
};

Plan planDocument(const std::vector<std::string>& sources, const std::string& outputPath,
                  const ConversionSettings& settings, const CombineProgress& progress) {
    Plan plan(settings.chosen.more.combineDuplex);
    plan.versions.reserve(sources.size());
    const bool singlePage = settings.chosen.selfAdaptation == 1;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        const std::string& path = sources[k];
        if (progress) progress(k, CombineReading::planning);
        onSource(path, [&] {
            TextFileReader reader(path);
            refuseOutputOverSource(path, outputPath, reader.device(), reader.inode());
            decodeSource(reader, settings.chosen.more.encoding);
            std::uint64_t pageCount = 1;
            if (singlePage) {
                const SourceText text(reader, SourceText::Measures::LineCount);
                plan.embedded =
                    plan.embedded || drawsWithEmbeddedFonts(settings, text.summary(), path);
            } else {
                const PaginatedPages pages =
                    layOutPages(reader, settings, [&](const SourceSummary& summary) {
                        plan.embedded =
                            plan.embedded || drawsWithEmbeddedFonts(settings, summary, path);
                        return nullptr;
                    });
                pageCount = pages.pageCount();
            }
            plan.pages.addSource(pageCount);
            plan.versions.push_back(versionOf(reader));
        });
    }
    return plan;
}

void expectVersion(const TextFileReader& reader, const SourceVersion& planned) {
    if (versionOf(reader) != planned) throw FileError(reader.path(), kChangedWhileRead);
}

// The first reading counted rows in the standard font's widths, without the
// fonts, and left lines with characters beyond it whole: when embedded fonts
// draw the sources and lines are cut into rows, the pages are counted again
// from the rows those fonts cut.
void countRowsAsDrawn(Plan& plan, CombinedDrawing& drawing, const std::vector<std::string>& sources,
                      const ConversionSettings& settings, const CombineProgress& progress) {
    if (!drawing.embedded() || settings.chosen.selfAdaptation == 1 || !cutsLinesIntoRows(settings))
        return;
    CombinedPages pages(settings.chosen.more.combineDuplex);
    for (std::size_t k = 0; k < sources.size(); ++k) {
        if (progress) progress(k, CombineReading::cuttingRows);
        onSource(sources[k], [&] {
            TextFileReader reader(sources[k]);
            expectVersion(reader, plan.versions[k]);
            decodeSource(reader, settings.chosen.more.encoding);
            const LineDrawingChoice choose = [&](const SourceSummary& summary) {
                return drawing.choose(summary);
            };
            // The reading that cuts the rows as the fonts draw them.
            PaginatedPages laidOut = layOutPages(reader, settings, choose);
            laidOut.readAheadAllPages(false);
            pages.addSource(laidOut.pageCount());
        });
    }
    plan.pages = std::move(pages);
}

class CombinedWriter {
  public:
    CombinedWriter(TextFileWriter& out, const ConversionSettings& settings, const Plan& plan)
        : out_(out),
          settings_(settings),
          plan_(plan),
          firstPage_(kFirstItem + plan.pages.sourceCount()),
          firstFont_(firstPage_ + 2 * plan.pages.pageCount()),
          offsets_(firstFont_, 0) {
        // Objects that long compressed pages add come after the pages, the
        // fonts after them.
        if (settings.chosen.more.compress) flate_.emplace(firstFont_);
    }

    void writeOpening() {
        out_.write(kPdfHeader);
        mark(kCatalog);
        out_.write(
            "1 0 obj\n<<\n/Type /Catalog\n/Pages 5 0 R\n/Outlines 2 0 R\n"
            "/PageMode /UseOutlines\n>>\nendobj\n");
        mark(kOutlineRoot);
        const std::size_t items = plan_.pages.sourceCount();
        out_.write("2 0 obj\n<<\n/Type /Outlines\n/First " + pdfNumber(kFirstItem) +
                   " 0 R\n/Last " + pdfNumber(kFirstItem + items - 1) + " 0 R\n/Count " +
                   pdfNumber(items) + "\n>>\nendobj\n");
        mark(kProcSet);
        out_.write(procSetObject(kProcSet));
        mark(kInfo);
        out_.write(infoObject(kInfo, settings_));
        mark(kPageRoot);
        out_.write("5 0 obj\n<<\n/Type /Pages\n/Count " + pdfNumber(plan_.pages.pageCount()) +
                   "\n/Kids [");
        writeKidsAndClose(out_, plan_.pages.pageCount(),
                          [&](std::uint64_t page) { return pageObject(page); });
    }

    // Writes page `page` of the document, its content (of streamLength,
    // uncompressed) handed by hand, on a page of the size these settings
    // give.
    void writePage(std::uint64_t page, const ConversionSettings& s, std::uint64_t streamLength,
                   const HandContent& hand) {
        notePagesWritten(page, plan_.pages.pageCount());
        const std::uint64_t object = pageObject(page);
        head_.clear();
        appendPdfNumber(head_, object);
        head_ += " 0 obj\n<<\n/Type /Page\n/Parent 5 0 R\n/Resources 6 0 R\n/MediaBox [0 0 ";
        head_ += s.pageWidth;
        head_ += ' ';
        head_ += s.pageHeight;
        head_ += " ]\n/Rotate ";
        head_ += s.rotateText;
        head_ += "\n/Contents ";
        appendPdfNumber(head_, object + 1);
        head_ += " 0 R\n>>\nendobj\n";
        mark(object);
        if (flate_) {
            out_.write(head_);
            mark(object + 1);
            flate_->writeContentObject(out_, object + 1, hand);
            return;
        }
        const std::size_t pageEnd = head_.size();
        appendStreamHead(head_, object + 1, streamLength);
        offsets_[object + 1] =
            out_.position() + diskSize(std::string_view(head_).substr(0, pageEnd));
        out_.write(head_);
        hand([&](std::string_view bytes) { out_.writeRaw(bytes); });
        out_.write(kStreamTail);
    }

    // The blank page that lets the next source start on the front of a
    // sheet: an empty page of the source before, of its size and colours.
    void writeBlankPage(std::uint64_t page, const ConversionSettings& s) {
        const PageContent blank = buildPageContent(s, {});
        writePage(page, s, blank.streamLength, [&](const TakeContent& take) { take(blank.bytes); });
    }

    // The resources, the outline's items and the fonts; then the table.
    void writeClosing(const std::vector<std::string>& sources, const DocumentFonts* fonts) {
        const std::uint64_t firstFont = firstFont_ + (flate_ ? flate_->addedCount() : 0);
        const std::size_t fontCount = fonts ? fonts->fonts().size() : 1;
        // A font's objects follow the one before's: six for a TrueType face,
        // five for one with CFF outlines (no glyph map).
        std::vector<std::uint64_t> type0Numbers(fontCount + 1, firstFont);
        for (std::size_t k = 0; k < fontCount; ++k)
            type0Numbers[k + 1] =
                type0Numbers[k] +
                (fonts ? static_cast<std::uint64_t>(embeddedFontObjectCount(fonts->fonts()[k]))
                       : kObjectsPerEmbeddedFont);
        auto type0Of = [&](std::size_t k) { return type0Numbers[k]; };
        if (type0Of(fontCount) > static_cast<std::uint64_t>(INT_MAX))
            throw std::length_error("too many objects for one document");
        std::string fontEntries;
        for (std::size_t k = 0; k < fontCount; ++k)
            fontEntries += "/F" + pdfNumber(k + 1) + " " + pdfNumber(type0Of(k)) + " 0 R ";
        mark(kResources);
        out_.write("6 0 obj\n<<\n/Font << " + fontEntries + ">>\n/ProcSet 3 0 R\n>>\nendobj\n");
        writeOutlineItems(sources);

        offsets_.resize(firstFont, 0);  // the objects flate_ added know their own
        auto writeObject = [&](const FontObject& object) {
            offsets_.push_back(out_.position());
            out_.write(object.text);
            // A compressed stream's data goes as it is.
            if (object.data.empty()) return;
            out_.writeRaw(object.data);
            out_.write(object.tail);
        };
        if (!fonts) {
            writeObject({0, standardFontObject(firstFont, settings_), {}, {}});
        } else {
            // One font at a time: a font program is made only to be written.
            for (std::size_t k = 0; k < fontCount; ++k) {
                const int type0 = static_cast<int>(type0Of(k));
                for (const FontObject& object :
                     embeddedFontObjects(fonts->fonts()[k], type0, type0 + 1, flate_.has_value(),
                                         pageColourOf(settings_.pageRgb)))
                    writeObject(object);
            }
        }
        writeXrefAndTrailer(
            out_, offsets_.size() - 1,
            [&](std::uint64_t object) {
                if (flate_)
                    if (const std::optional<std::uint64_t> elsewhere = flate_->offsetOf(object))
                        return *elsewhere;
                return offsets_[object];
            },
            kInfo);
    }

  private:
    std::uint64_t pageObject(std::uint64_t page) const { return firstPage_ + 2 * page; }
    void mark(std::uint64_t object) { offsets_[object] = out_.position(); }

    void writeOutlineItems(const std::vector<std::string>& sources) {
        const std::size_t items = sources.size();
        std::string text;
        for (std::size_t k = 0; k < items; ++k) {
            const std::uint64_t object = kFirstItem + k;
            text.clear();
            appendPdfNumber(text, object);
            text += " 0 obj\n<<\n/Title ";
            text += outlineTitleString(fileNameOf(sources[k]));
            text += "\n/Parent 2 0 R\n";
            if (k > 0) {
                text += "/Prev ";
                appendPdfNumber(text, object - 1);
                text += " 0 R\n";
            }
            if (k + 1 < items) {
                text += "/Next ";
                appendPdfNumber(text, object + 1);
                text += " 0 R\n";
            }
            text += "/Dest [";
            appendPdfNumber(text, pageObject(plan_.pages.firstPageOf(k)));
            text += " 0 R /Fit]\n>>\nendobj\n";
            mark(object);
            out_.write(text);
        }
    }

    TextFileWriter& out_;
    const ConversionSettings& settings_;
    const Plan& plan_;
    std::uint64_t firstPage_;
    std::uint64_t firstFont_;
    std::vector<std::uint64_t> offsets_;  // by object number; 0 unused
    std::optional<FlateContent> flate_;   // with compress
    std::string head_;
};

// Writes the pages of source k; returns what became of it.
SourceRunFacts writeSource(CombinedWriter& writer, CombinedDrawing& drawing, const Plan& plan,
                           std::size_t k, const std::string& path,
                           const ConversionSettings& settings) {
    TextFileReader reader(path);
    expectVersion(reader, plan.versions[k]);
    const SourceDecoding decoding = decodeSource(reader, settings.chosen.more.encoding);
    SourceEncoding firstPass = SourceEncoding::Utf8;
    const LineDrawingChoice choose = [&](const SourceSummary& summary) {
        // The plan saw no character beyond MacRomanEncoding: the file changed.
        if (!drawing.embedded() && drawsWithEmbeddedFonts(settings, summary, path))
            throw FileError(path, kChangedWhileRead);
        firstPass = summary.encoding;
        return drawing.choose(summary);
    };
    const std::uint64_t first = plan.pages.firstPageOf(k);
    const std::uint64_t count = plan.pages.pagesOf(k);
    ConversionOutcome outcome;
    ConversionSettings own = settings;
    if (settings.chosen.selfAdaptation == 1) {
        const TextMeasure measure(own.fontSizeValue);
        SinglePage page = layOutSinglePage(reader, own, measure, choose);
        writer.writePage(first, own, page.streamLength(),
                         [&](const TakeContent& take) { page.handContent(take); });
        outcome.notPrintable = page.notPrintable();
    } else {
        PaginatedPages pages = layOutPages(reader, own, choose);
        // Embedded fonts cut the rows as they draw them (as the plan did),
        // learn the characters and count the lines past the edge.
        if (drawing.embedded()) pages.readAheadAllPages();
        if (pages.pageCount() != count) throw FileError(path, kChangedWhileRead);
        // {sheet} and {sheets} count the document's pages, the blank ones
        // that start a source on the front of a sheet included: a sheet's
        // number is the page number a viewer shows.
        pages.numberSheetsFrom(first, plan.pages.pageCount());
        for (std::uint64_t page = 0; page < count; ++page) {
            const std::uint64_t length = pages.nextStreamLength();
            writer.writePage(first + page, own, length,
                             [&](const TakeContent& take) { pages.handContent(take); });
        }
        // Counted by the reading that taught the fonts, when it was made:
        // the pages written count again.
        outcome.notPrintable = drawing.embedded() ? pages.notPrintable() : 0;
        outcome.linesPastEdge = pages.linesPastEdge();
    }
    if (plan.pages.blankAfter(k)) writer.writeBlankPage(first + count, own);
    if (reader.changedSinceOpened()) throw FileError(path, kChangedWhileRead);
    outcome.encoding = encodingReadIn(decoding, firstPass);
    outcome.readingWarnings = readingWarnings(decoding, outcome.encoding, reader);
    return {path, conversionWarning(outcome), outcome.linesPastEdge};
}

}  // namespace

CombinedOutcome convertCombined(const std::vector<std::string>& sources,
                                const std::string& outputPath, const ConversionSettings& settings,
                                const ReplaceQuestion& mayReplace, FontProvider* fonts,
                                const CombineProgress& progress) {
    if (sources.empty()) throw FileError(outputPath, "no files to combine");
    Plan plan = planDocument(sources, outputPath, settings, progress);
    std::optional<CombinedDrawing> drawing;
    try {
        drawing.emplace(settings, fonts, plan.embedded);
    } catch (const FontUnavailable& error) {
        throw FileError(outputPath, error.what());
    }
    countRowsAsDrawn(plan, *drawing, sources, settings, progress);

    TextFileWriter output(outputPath);
    CombinedWriter writer(output, settings, plan);
    writer.writeOpening();
    CombinedOutcome outcome;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        if (progress) progress(k, CombineReading::writing);
        onSource(sources[k], [&] {
            outcome.sources.push_back(writeSource(writer, *drawing, plan, k, sources[k], settings));
        });
    }
    writer.writeClosing(sources, drawing->fonts());
    outcome.bytes = output.position();
    outcome.pages = plan.pages.pageCount();
    outcome.placed = output.commit(mayReplace);
    return outcome;
}

}  // namespace leafwright
