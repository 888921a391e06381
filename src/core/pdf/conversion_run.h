#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/run/file_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class FontProvider;

// The output path of a source: beside it with "pdf" for its last three
// characters (outputBeside), or, when outputFolder is not "Default Path",
// the output folder followed by that name from its last "/" on.
std::string outputPathFor(const std::string& sourcePath, const std::string& outputFolder);

// Converts one source file into a PDF at outputPath with the layout that
// settings.chosen.selfAdaptation selects (the self-adapting layout stores
// the page size it computes into settings). The output replaces an existing
// file only once it is complete. Throws FileError naming the file on any
// failure, including an output that would overwrite its own source and a
// page on which no line fits; nothing is written then. An entry found at
// outputPath when the PDF is complete is replaced only when mayReplace says
// so (an empty question replaces); returns false when it was kept.
bool convertFile(const std::string& sourcePath, const std::string& outputPath,
                 ConversionSettings& settings, const ReplaceQuestion& mayReplace = {});

// What converting one source came to.
struct ConversionOutcome {
    bool placed = true;  // as convertFile returns
    // Characters no installed face could print, shown as "?".
    std::uint64_t notPrintable = 0;
    // The size of the document and its pages.
    std::uint64_t bytes = 0;
    std::uint64_t pages = 0;
    // With wrapping on: the source lines drawn in more than one row.
    std::optional<std::uint64_t> wrappedLines;
    // When they are counted (fixed pages, lines not wrapped or wrapped only
    // between words), the source lines that run past the right edge.
    std::optional<std::uint64_t> linesPastEdge;
    // Whether the making of the content was shared out between two
    // threads, each with a reader of its own.
    bool madeOnTwoThreads = false;
    // The encoding the source was read in, and what deserves a word about
    // its reading (a guessed encoding, invalid byte sequences).
    std::string encoding;
    std::vector<std::string> readingWarnings;
};

// How many threads converting one source may use. With two or more, a
// source of at least twoThreadsFrom bytes is scanned first on two
// (scanInHalves), and one of plain strings of the standard font is made on
// two, in stretches of pages or lines of about stretchBytes of the source
// each (PageStretches, LineStretches), when there are enough for a stretch
// on each thread. Pages whose lines have tab stops or embedded fonts, or are
// cut into rows, are made in order on one thread while the calling thread
// writes them (MadeAheadPages).
// The bytes are those of one thread. A run that converts several files at
// once gives each one thread.
struct SourceThreads {
    static constexpr std::uint64_t kTwoThreadsFrom = 4 << 20;
    static constexpr std::uint64_t kStretchBytes = 1 << 18;
    unsigned threads = 1;
    std::uint64_t twoThreadsFrom = kTwoThreadsFrom;
    std::uint64_t stretchBytes = kStretchBytes;
};

// The same, with the faces for documents that need embedded fonts taken
// from fonts (nullptr: the installed faces, looked up only when needed).
// The source is read in the encoding settings.chosen.more.encoding names
// (see decodeSource: empty for UTF-8 or else Windows-1252, "auto" for a
// guess); a source read through a converter is read on one thread.
// A source whose characters all have a code in MacRomanEncoding and that
// holds no tab is written with the standard font exactly as always; one with
// tabs moves them to tab stops; any other is drawn with embedded fonts.
ConversionOutcome convertSource(const std::string& sourcePath, const std::string& outputPath,
                                ConversionSettings& settings, const ReplaceQuestion& mayReplace,
                                FontProvider* fonts, const SourceThreads& threads = {});

// The warning for a document with characters shown as "?".
std::string notPrintableWarning(std::uint64_t count);

// All the warnings of an outcome, in one text.
std::string conversionWarning(const ConversionOutcome& outcome);

// Converts the sources in order: output path, overwrite question, layout,
// report, each source on as many threads as the process may use. This one
// loop serves the window and the command line.
void runConversion(const std::vector<std::string>& sources, ConversionSettings& settings,
                   FileRunHandler& handler);

// The installed faces for the documents of one run with these settings,
// looked up only when a document needs them. One provider may serve every
// job of a parallel run: its faces, their prepared subsets and fallbacks are
// then found once for the run, and held once in memory.
std::shared_ptr<FontProvider> runFonts(const ConversionSettings& settings);

// The steps of that loop, for a run of another shape (sources read from a
// list, several at once). They work on the settings given, which must live
// as long as the steps, and take the faces from fonts (when null, from
// installed faces of their own, looked up once per run of steps). Each
// source may use the threads given.
FileRunSteps conversionSteps(ConversionSettings& settings, const SourceThreads& threads = {},
                             std::shared_ptr<FontProvider> fonts = nullptr);

}  // namespace leafwright
