#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/run/file_run.h"

namespace leafwright {

// What one extraction found.
struct UnspoolOutcome {
    // False when the finished text met an entry at its path that the
    // question declined to replace: nothing was written.
    bool placed = true;
    std::uint64_t bytesWritten = 0;
    // A stream dictionary of the source names a /Filter: its content may be
    // compressed, out of the filter's reach.
    bool sawFilteredStream = false;
};

// The warning an extraction deserves, or an empty text.
std::string unspoolWarningFor(const UnspoolOutcome& outcome);

// Extracts the text of one PDF into outputPath. The source is read twice,
// each time in blocks, never a whole line at once: first for the fonts' text
// maps, then through the filter, writing as it goes. The source is opened
// before the output is created; the output replaces an existing file only
// once it is complete. Throws FileError naming the file on any failure,
// among them an output path that names the source itself (the source is then
// left untouched). An entry found at outputPath when the text is complete is
// replaced only when mayReplace says so (an empty question replaces).
UnspoolOutcome unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                           const ReplaceQuestion& mayReplace = {});

// Extracts the sources in order: output path, overwrite question,
// extraction, report (and a warning after it when nothing came out of a PDF
// whose content seems compressed). This one loop serves the window and the
// command line.
void unspoolFiles(const std::vector<std::string>& sources, FileRunHandler& handler);

// The steps of that loop, for a run of another shape. The text file a PDF is
// extracted into lies beside it, "txt" for its last three characters
// (outputBeside).
FileRunSteps unspoolSteps();

}  // namespace leafwright
