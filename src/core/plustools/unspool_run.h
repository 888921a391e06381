#pragma once

#include <cstdint>
#include <optional>
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
    std::uint64_t sourceBytes = 0;  // the PDF's size
    // A stream dictionary of the source names a /Filter: its content may be
    // compressed, out of the line-by-line reading's reach.
    bool sawFilteredStream = false;
    // The pages were read through the document's objects, not line by line.
    bool readByPages = false;
    // Why some text could not be read ("its objects are in compressed object
    // streams"), and of how many pages, when the pages were read one by one.
    std::string unreadReason;
    std::uint64_t pages = 0;
    std::uint64_t pagesUnread = 0;
    // A split document's text files, in outline order.
    std::vector<std::string> parts;
    // Anything else the user should hear about.
    std::string note;
};

// The warning an extraction deserves, or an empty text.
std::string unspoolWarningFor(const UnspoolOutcome& outcome);

// Extracts the text of one PDF into outputPath. An uncompressed PDF is read
// line by line, twice, in blocks, never a whole line at once: first for the
// fonts' text maps, then through the filter, writing as it goes. A PDF whose
// page content or text maps are compressed is read through its
// cross-reference table instead: each page's content streams in order,
// inflated as they are read. The source is opened before the output is
// created; the output replaces an existing file only once it is complete.
// Throws FileError naming the file on any failure (a corrupt stream among
// them), and for an output path that names the source itself (the source
// is then left untouched). An entry found at outputPath when the text is
// complete is replaced only when mayReplace says so (an empty question
// replaces). With two threads, the pages of a compressed PDF are read and
// inflated on a thread of their own while this one filters and writes. A
// file that does not begin as a PDF does and gives no text, or a PDF that
// ends before its end, is read all the same, with a note in the outcome.
UnspoolOutcome unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                           const ReplaceQuestion& mayReplace = {}, unsigned threads = 1);

// Extracts the text of one PDF into one text file per top-level item of its
// outline, in `folder`: each file named after its item's title (see
// splitPartNameFor), holding the text of the item's pages, from its first
// page up to the next item's (the pages before the first item's go with
// it). Every name is checked before anything is written: a title that names
// no file of the folder, two items of one name, a name of the source itself,
// and an existing file that mayReplace does not allow to replace fail the
// PDF with a message; so do items out of page order. Each file is complete
// before it takes its name. A PDF without an outline gives one text file,
// named as unspoolFile's, in the folder.
UnspoolOutcome unspoolFileByOutline(const std::string& sourcePath, const std::string& folder,
                                    const ReplaceQuestion& mayReplace = {}, unsigned threads = 1);

// Extracts the sources in order: output path, overwrite question,
// extraction, report (and a warning after it when not all of a PDF's text
// could be read). This one loop serves the window and the command line.
void unspoolFiles(const std::vector<std::string>& sources, FileRunHandler& handler);

// The steps of that loop, for a run of another shape; each file may use
// `threads` threads (two help with compressed PDFs). The text file a PDF is
// extracted into lies beside it, "txt" for its last three characters
// (outputBeside).
FileRunSteps unspoolSteps(unsigned threads = 1);
// The steps of a run that splits each PDF by its outline into `folder`, or,
// without one, into the PDF's own folder.
FileRunSteps unspoolByOutlineSteps(std::optional<std::string> folder, unsigned threads = 1);

}  // namespace leafwright
