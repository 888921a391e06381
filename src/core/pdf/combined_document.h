#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/platform/pending_output.h"
#include "core/run/file_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

class FontProvider;

// What writing a combined document came to.
struct CombinedOutcome {
    bool placed = true;  // false: an entry at the output was kept (mayReplace)
    std::uint64_t bytes = 0;
    std::uint64_t pages = 0;  // blank pages included
    // Each source in list order: a word about it (its reading, characters
    // shown as "?") and, when they are counted, its lines that run past the
    // right edge of the page.
    std::vector<SourceRunFacts> sources;
};

// The readings of the sources, in order. Rows are cut in a reading of their
// own only when the document is drawn with embedded fonts and cuts lines
// into rows (the fonts must exist before rows are measured as drawn).
enum class CombineReading { planning, cuttingRows, writing };

// Called as each source is taken up in each reading: its place in the list
// (from 0) and the reading.
using CombineProgress = std::function<void(std::size_t source, CombineReading reading)>;

// Converts the sources, in list order, into one PDF at outputPath, each from
// a new page (from an odd page with settings.chosen.more.combineDuplex), with
// the layout settings.chosen.selfAdaptation selects (then a page of its own
// size for each source), one outline item per source titled with its file
// name and leading to its first page, the outline shown when the document
// opens, and one set of fonts for all of it. Lines are cut into rows and
// counted past the edge as in a document of one source, measured as drawn:
// the rows of sources drawn with embedded fonts are cut once the fonts
// exist, in a reading of their own before the pages are counted.
//
// Each source is read twice, and never two at once: first to plan the pages
// (the page tree, named before the pages, lists them all), then to write
// them. What is held is two numbers and the version (device, inode, size,
// time written) of each source; a source whose version changed between the
// two readings fails the document, as one written to while it is read does.
// Any failure of any source throws FileError naming that source and its
// cause, and nothing is written: the output appears, replacing what stood
// there, only once complete (an entry found there then is replaced only
// when mayReplace says so). An output that is one of the sources is refused.
CombinedOutcome convertCombined(const std::vector<std::string>& sources,
                                const std::string& outputPath, const ConversionSettings& settings,
                                const ReplaceQuestion& mayReplace, FontProvider* fonts,
                                const CombineProgress& progress = {});

}  // namespace leafwright
