#pragma once

#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/file_run.h"

namespace leafwright {

// The text file a PDF is extracted into: the source path with its last three
// characters dropped (whatever they are) and "txt" appended, so it always
// lies beside its source.
std::string unspoolOutputPathFor(const std::string& sourcePath);

// Extracts the text of one PDF into outputPath, reading the source line by
// line and writing as it goes. The source is opened before the output is
// created; the output replaces an existing file only once it is complete.
// Throws FileError naming the file on any failure, among them an output path
// that names the source itself (the source is then left untouched). An entry
// found at outputPath when the text is complete is replaced only when
// mayReplace says so (an empty question replaces); returns false when kept.
bool unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                 const ReplaceQuestion& mayReplace = {});

// The run reports to a handler shared with the other file runs.
using UnspoolRunHandler = FileRunHandler;

// Extracts the sources in order: output path, overwrite question,
// extraction, report. This one loop serves the window and the command line.
void unspoolFiles(const std::vector<std::string>& sources, UnspoolRunHandler& handler);

}  // namespace leafwright
