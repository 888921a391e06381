#include "core/pdf/conversion_run.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "core/encoding/source_decoding.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/system_font_provider.h"
#include "core/pdf/line_drawing.h"
#include "core/pdf/line_stretches.h"
#include "core/pdf/made_ahead_pages.h"
#include "core/pdf/page_stretches.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/single_page_layout.h"
#include "core/pdf/text_measure.h"
#include "core/platform/cpu_count.h"
#include "core/platform/file_error.h"
#include "core/platform/output_name.h"
#include "core/platform/own_source.h"
#include "core/platform/run_watch.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/text/source_text.h"

namespace leafwright {

std::string outputPathFor(const std::string& sourcePath, const std::string& outputFolder) {
    std::string path = outputBeside(sourcePath, "pdf");
    if (outputFolder == kDefaultPath) return path;

    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? "/" + path : path.substr(slash);
    if (!outputFolder.empty() && outputFolder.back() == '/') name.erase(0, 1);
    return outputFolder + name;
}

namespace {

// Whether a source is large enough for the threads given to share its work.
bool givenTwoThreads(const SourceThreads& threads, const TextFileReader& source) {
    return threads.threads >= 2 && source.size() >= threads.twoThreadsFrom;
}

// How many of a document's `count` pages (or lines) make a stretch when a
// second thread shares out the making (about threads.stretchBytes of the
// source each), or 0 when one thread makes it all: one thread given, a
// small source, too few pages or lines for a stretch on each thread, or
// lines drawn by a ShownLines, which is one (tab stops; embedded fonts also
// learn their characters while the pages are made and are written after
// them).
std::uint64_t perStretch(const SourceThreads& threads, const TextFileReader& source,
                         bool plainStrings, std::uint64_t count) {
    if (!givenTwoThreads(threads, source) || !plainStrings) return 0;
    const std::uint64_t size = std::max<std::uint64_t>(source.size(), 1);
    const std::uint64_t inStretch = std::max<std::uint64_t>(1, threads.stretchBytes * count / size);
    return 2 * inStretch <= count ? inStretch : 0;
}

// The helper thread's own reader, for a document whose making is shared
// out (else, or when the system gives none, nullptr).
std::unique_ptr<TextFileReader> helperReader(const TextFileReader& source,
                                             std::uint64_t perStretch) {
    return perStretch > 0 ? source.openAgain() : nullptr;
}

// The passes and the threads read the source at different times (two
// threads go to their pages by where lines started in the first pass), so
// a source written to meanwhile could give a document of two versions:
// such a source fails instead. The written size and time tell; the passes'
// own checks catch most changes before.
void expectUnchanged(const TextFileReader& source) {
    if (source.changedSinceOpened()) throw FileError(source.path(), kChangedWhileRead);
}

ConversionOutcome outcomeOf(bool placed, std::uint64_t notPrintable, std::uint64_t bytes,
                            std::uint64_t pages, const SourceDecoding& decoding,
                            SourceEncoding firstPass, const TextFileReader& source,
                            bool madeOnTwoThreads) {
    ConversionOutcome outcome;
    outcome.placed = placed;
    outcome.notPrintable = notPrintable;
    outcome.bytes = bytes;
    outcome.pages = pages;
    outcome.madeOnTwoThreads = madeOnTwoThreads;
    outcome.encoding = encodingReadIn(decoding, firstPass);
    outcome.readingWarnings = readingWarnings(decoding, outcome.encoding, source);
    return outcome;
}

ConversionOutcome convertWithDrawing(const std::string& sourcePath, const std::string& outputPath,
                                     ConversionSettings& settings,
                                     const ReplaceQuestion& mayReplace, FontProvider* fonts,
                                     const SourceThreads& threads) {
    TextFileReader source(sourcePath);
    if (givenTwoThreads(threads, source)) source.setScanThreads(2);
    // Linux lets a file be replaced while it is open, so a source whose output
    // name is its own name (or a link to it) would be destroyed.
    refuseOutputOverSource(sourcePath, outputPath, source.device(), source.inode());
    const SourceDecoding decoding = decodeSource(source, settings.chosen.more.encoding);

    LineDrawing drawing(settings, fonts, sourcePath);
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
        const std::uint64_t notPrintable = page.notPrintable();
        TextFileWriter output(outputPath);
        const std::uint64_t linesPer = perStretch(threads, source, plainStrings, page.lineCount());
        bool shared = false;
        if (std::unique_ptr<TextFileReader> helpers = helperReader(source, linesPer)) {
            LineStretches stretches(page, std::move(helpers), linesPer);
            writeSinglePagePdf(output, settings, page.streamLength(),
                               [&](const TakeContent& take) { stretches.handContent(take); });
            shared = stretches.onTwoThreads();
        } else {
            writeSinglePagePdf(
                output, settings, page.streamLength(),
                [&](const TakeContent& take) { page.handContent(take); }, drawing.fonts());
        }
        expectUnchanged(source);
        const std::uint64_t bytes = output.position();
        return outcomeOf(output.commit(mayReplace), notPrintable, bytes, 1, decoding, firstPass,
                         source, shared);
    }
    noteSourceBecomesPages();
    PaginatedPages pages = layOutPages(source, settings, choose);
    pages.drawFurnitureRepeatsInForm();
    // The fonts are named before the pages, so they must know every
    // character first.
    if (drawing.fonts()) pages.readAheadAllPages();
    const std::uint64_t notPrintable = pages.notPrintable();
    TextFileWriter output(outputPath);
    const auto pagesPer = static_cast<std::size_t>(
        perStretch(threads, source, plainStrings && !pages.cutsLines(), pages.pageCount()));
    bool shared = false;
    if (std::unique_ptr<TextFileReader> helpers = helperReader(source, pagesPer)) {
        PageStretches stretches(pages, std::move(helpers), pagesPer, SharedStretches::kBatchBytes,
                                settings.chosen.more.compress);
        writePageTreePdf(output, settings, stretches);
        shared = stretches.onTwoThreads();
    } else if (givenTwoThreads(threads, source)) {
        // Pages one thread must make in order: a second one writes them.
        MadeAheadPages ahead(pages);
        writePageTreePdf(output, settings, ahead, drawing.fonts());
    } else {
        writePageTreePdf(output, settings, pages, drawing.fonts());
    }
    expectUnchanged(source);
    const std::uint64_t bytes = output.position();
    ConversionOutcome outcome = outcomeOf(output.commit(mayReplace), notPrintable, bytes,
                                          pages.pageCount(), decoding, firstPass, source, shared);
    if (settings.chosen.more.wrap != WrapMode::None) outcome.wrappedLines = pages.wrappedLines();
    outcome.linesPastEdge = pages.linesPastEdge();
    return outcome;
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
    return std::to_string(count) + (count == 1 ? " character" : " characters") +
           " could not be printed (shown as ?)";
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
                   FileRunHandler& handler) {
    // One file at a time, as the command line converts a list by default:
    // a large source may take every core.
    runOverFiles(sources, conversionSteps(settings, SourceThreads{usableCpuCount()}), handler);
}

std::shared_ptr<FontProvider> runFonts(const ConversionSettings& settings) {
    return std::make_shared<SystemFontProvider>(faceChoiceOf(settings));
}

FileRunSteps conversionSteps(ConversionSettings& settings, const SourceThreads& threads,
                             std::shared_ptr<FontProvider> fonts) {
    // One provider for the steps at least, so each face and fallback is
    // looked up once a run (and only when a document needs embedded fonts).
    if (!fonts) fonts = runFonts(settings);
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
        result.wrappedLines = outcome.wrappedLines;
        result.linesPastEdge = outcome.linesPastEdge;
        return result;
    };
    return steps;
}

}  // namespace leafwright
