#pragma once

#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/file_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

// The output path of a source: its last three characters replaced by "pdf",
// or, when outputFolder is not "Default Path", the output folder followed by
// the source's name from its last "/" on.
std::string outputPathFor(const std::string& sourcePath, const std::string& outputFolder);

// Converts one source file into a PDF at outputPath with the layout that
// settings.chosen.selfAdaptation selects (the self-adapting layout stores
// the page size it computes into settings). The output replaces an existing
// file only once it is complete. Throws FileError naming the file on any
// failure, including an output that would overwrite its own source and a
// page on which no line fits; nothing is written then. An entry found at
// outputPath when the PDF is complete is replaced only when mayReplace says
// so (an empty question replaces); returns false when it was kept.
// When facts is given, it receives the document's pages and size.
bool convertFile(const std::string& sourcePath, const std::string& outputPath,
                 ConversionSettings& settings, const ReplaceQuestion& mayReplace = {},
                 FileRunStepResult* facts = nullptr);

// The run reports to a handler shared with the other file runs.
using ConversionRunHandler = FileRunHandler;

// Converts the sources in order: output path, overwrite question, layout,
// report. This one loop serves the window and the command line.
void runConversion(const std::vector<std::string>& sources, ConversionSettings& settings,
                   ConversionRunHandler& handler);

// The steps of that loop, for a run of another shape (sources read from a
// list, several at once). They work on the settings given, which must live
// as long as the steps.
FileRunSteps conversionSteps(ConversionSettings& settings);

}  // namespace leafwright
