#include "core/pdf/conversion_run.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "core/encoding/source_decoding.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/system_font_provider.h"
#include "core/pdf/alternating_lines.h"
#include "core/pdf/alternating_pages.h"
#include "core/pdf/line_drawing.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/pipelined_content.h"
#include "core/pdf/single_page_layout.h"
#include "core/pdf/text_measure.h"
#include "core/platform/file_error.h"
#include "core/platform/own_source.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/text/source_text.h"

namespace leafwright {

std::string outputPathFor(const std::string& sourcePath, const std::string& outputFolder) {
    std::size_t keep = sourcePath.size() >= 3 ? sourcePath.size() - 3 : 0;
    std::string path = sourcePath.substr(0, keep) + "pdf";
    if (outputFolder == kDefaultPath) return path;

    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? "/" + path : path.substr(slash);
    if (!outputFolder.empty() && outputFolder.back() == '/') name.erase(0, 1);
    return outputFolder + name;
}

namespace {

// Embedded fonts learn their characters while the pages are made and are
// written after them, so their documents are made on one thread.
bool pipelines(const SourceThreads& threads, const TextFileReader& source,
               const LineDrawing& drawing) {
    return threads.threads >= 2 && source.size() >= threads.pipelineFrom && !drawing.fonts();
}

// The pages (or lines) of about threads.runBytes of the source, when there
// are enough for a run on each thread, else 0.
std::uint64_t perRun(const SourceThreads& threads, const TextFileReader& source,
                     std::uint64_t count) {
    const std::uint64_t size = std::max<std::uint64_t>(source.size(), 1);
    const std::uint64_t inRun = std::max<std::uint64_t>(1, threads.runBytes * count / size);
    return 2 * inRun <= count ? inRun : 0;
}

// The passes and the threads read the source at different times (two
// threads go to their pages by where lines started in the first pass), so
// a source written to meanwhile could give a document of two versions:
// such a source fails instead. The written size and time tell; the passes'
// own checks catch most changes before.
void expectUnchanged(const TextFileReader& source) {
    if (source.changedSinceOpened()) throw FileError(source.path(), kChangedWhileRead);
}

// Pages of plain strings are made in runs shared by two readers; others (tab stops)
// by one thread while this one writes, since their ShownLines is one.
void writePagesOnTwoThreads(TextFileWriter& output, const ConversionSettings& settings,
                            PaginatedPages& pages, bool plainStrings, TextFileReader& source,
                            const SourceThreads& threads) {
    const auto pagesPerRun = static_cast<std::size_t>(perRun(threads, source, pages.pageCount()));
    if (plainStrings && pagesPerRun > 0) {
        if (std::unique_ptr<TextFileReader> other = source.openAgain()) {
            AlternatingPages alternating(pages, std::move(other), pagesPerRun);
            writePageTreePdf(output, settings, alternating);
            return;
        }
    }
    PipelinedPages pipelined(pages);
    writePageTreePdf(output, settings, pipelined);
}

// The same for one self-adapting page, in runs of lines.
void writeSinglePageOnTwoThreads(TextFileWriter& output, const ConversionSettings& settings,
                                 SinglePage& page, bool plainStrings, TextFileReader& source,
                                 const SourceThreads& threads) {
    const std::uint64_t linesPerRun = perRun(threads, source, page.lineCount());
    if (plainStrings && linesPerRun > 0) {
        if (std::unique_ptr<TextFileReader> other = source.openAgain()) {
            AlternatingLines lines(page, std::move(other), linesPerRun);
            writeSinglePagePdf(output, settings, page.streamLength(),
                               [&](TextFileWriter& file) { lines.writeContent(file); });
            return;
        }
    }
    PipelinedContent content([&page](ContentPipe& pipe) {
        page.handContent([&](std::string_view bytes) { pipe.putBytes(bytes); });
    });
    writeSinglePagePdf(output, settings, page.streamLength(), [&](TextFileWriter& file) {
        content.writeBytes(file, contentBytesOfStream(page.streamLength()));
        content.finish();
    });
}

ConversionOutcome outcomeOf(bool placed, std::uint64_t notPrintable, std::uint64_t bytes,
                            std::uint64_t pages, const SourceDecoding& decoding,
                            SourceEncoding firstPass, const TextFileReader& source) {
    ConversionOutcome outcome;
    outcome.placed = placed;
    outcome.notPrintable = notPrintable;
    outcome.bytes = bytes;
    outcome.pages = pages;
    outcome.encoding = encodingReadIn(decoding, firstPass);
    outcome.readingWarnings =
        decodingWarnings(decoding, outcome.encoding, source.invalidSequences());
    return outcome;
}

ConversionOutcome convertWithDrawing(const std::string& sourcePath, const std::string& outputPath,
                                     ConversionSettings& settings,
                                     const ReplaceQuestion& mayReplace, FontProvider* fonts,
                                     const SourceThreads& threads) {
    TextFileReader source(sourcePath);
    if (threads.threads >= 2 && source.size() >= threads.pipelineFrom) source.setScanThreads(2);
    // Linux lets a file be replaced while it is open, so a source whose output
    // name is its own name (or a link to it) would be destroyed.
    refuseOutputOverSource(sourcePath, outputPath, source.device(), source.inode());
    const SourceDecoding decoding = decodeSource(source, settings.chosen.more.encoding);

    LineDrawing drawing(settings, fonts);
    bool plainStrings = true;
    SourceEncoding firstPass = SourceEncoding::Utf8;
    const LineDrawingChoice choose = [&, chosen = drawing.chooser()](const SourceSummary& summary) {
        firstPass = summary.encoding;
        ShownLines* shown = chosen(summary);
        plainStrings = shown == nullptr;
        return shown;
    };
    if (settings.chosen.selfAdaptation == 1) {
        TextMeasure measure(settings.fontSizeValue);
        SinglePage page = layOutSinglePage(source, settings, measure, choose);
        const std::uint64_t notPrintable = drawing.notPrintable();
        TextFileWriter output(outputPath);
        if (pipelines(threads, source, drawing)) {
            output.writeOnCallingThread();
            writeSinglePageOnTwoThreads(output, settings, page, plainStrings, source, threads);
        } else {
            writeSinglePagePdf(
                output, settings, page.streamLength(),
                [&](TextFileWriter& file) { page.writeContent(file); }, drawing.fonts());
        }
        expectUnchanged(source);
        const std::uint64_t bytes = output.position();
        return outcomeOf(output.commit(mayReplace), notPrintable, bytes, 1, decoding, firstPass,
                         source);
    }
    PaginatedPages pages = layOutPages(source, settings, choose);
    // The fonts are named before the pages, so they must know every
    // character first.
    if (drawing.fonts()) pages.readAheadAllPages();
    const std::uint64_t notPrintable = drawing.notPrintable();
    TextFileWriter output(outputPath);
    if (pipelines(threads, source, drawing)) {
        output.writeOnCallingThread();
        writePagesOnTwoThreads(output, settings, pages, plainStrings, source, threads);
    } else {
        writePageTreePdf(output, settings, pages, drawing.fonts());
    }
    expectUnchanged(source);
    const std::uint64_t bytes = output.position();
    return outcomeOf(output.commit(mayReplace), notPrintable, bytes, pages.pageCount(), decoding,
                     firstPass, source);
}

}  // namespace

ConversionOutcome convertSource(const std::string& sourcePath, const std::string& outputPath,
                                ConversionSettings& settings, const ReplaceQuestion& mayReplace,
                                FontProvider* fonts, const SourceThreads& threads) {
    try {
        return convertWithDrawing(sourcePath, outputPath, settings, mayReplace, fonts, threads);
    } catch (const FontUnavailable& error) {
        throw FileError(sourcePath, error.what());
    }
}

bool convertFile(const std::string& sourcePath, const std::string& outputPath,
                 ConversionSettings& settings, const ReplaceQuestion& mayReplace) {
    return convertSource(sourcePath, outputPath, settings, mayReplace, nullptr).placed;
}

std::string notPrintableWarning(std::uint64_t count) {
    return std::to_string(count) + " characters could not be printed (shown as ?)";
}

std::string conversionWarning(const ConversionOutcome& outcome) {
    std::string warning;
    auto add = [&warning](const std::string& one) {
        if (!warning.empty()) warning += "; ";
        warning += one;
    };
    for (const std::string& one : outcome.readingWarnings) add(one);
    if (outcome.notPrintable > 0) add(notPrintableWarning(outcome.notPrintable));
    return warning;
}

void runConversion(const std::vector<std::string>& sources, ConversionSettings& settings,
                   ConversionRunHandler& handler) {
    runOverFiles(sources, conversionSteps(settings), handler);
}

FileRunSteps conversionSteps(ConversionSettings& settings, const SourceThreads& threads) {
    // One provider for the steps, so each face and fallback is looked up once
    // a run (and only when a document needs embedded fonts).
    auto fonts = std::make_shared<SystemFontProvider>();
    FileRunSteps steps;
    steps.outputPathOf = [&settings](const std::string& source) {
        return outputPathFor(source, settings.outputFolder);
    };
    steps.convertOne = [&settings, fonts, threads](const std::string& source,
                                                   const std::string& output,
                                                   const ReplaceQuestion& mayReplace) {
        const ConversionOutcome outcome =
            convertSource(source, output, settings, mayReplace, fonts.get(), threads);
        FileRunStepResult result;
        result.placed = outcome.placed;
        result.warning = conversionWarning(outcome);
        result.encoding = outcome.encoding;
        result.bytes = outcome.bytes;
        result.pages = outcome.pages;
        return result;
    };
    return steps;
}

}  // namespace leafwright
