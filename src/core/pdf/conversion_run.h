#pragma once

#include <string>
#include <vector>

#include "platform/file_error.h"
#include "settings/conversion_settings.h"

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
// page on which no line fits; nothing is written then.
void convertFile(const std::string& sourcePath, const std::string& outputPath,
                 ConversionSettings& settings);

// What a front end answers and hears during a run over a list of sources.
class ConversionRunHandler {
public:
    virtual ~ConversionRunHandler() = default;
    // The output path names an existing file (not a folder): replace it?
    virtual bool confirmOverwrite(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The source was converted into outputPath.
    virtual void converted(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The overwrite question was answered No: the source is dropped unconverted.
    virtual void declined(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The source failed. Return true to go on with the next source, false to
    // stop the run here (the source and those after it stay unconverted).
    virtual bool failed(const std::string& sourcePath, const FileError& error) = 0;
};

// Converts the sources in order: output path, overwrite question, layout,
// report. This one loop serves the window and the command line.
void runConversion(const std::vector<std::string>& sources, ConversionSettings& settings,
                   ConversionRunHandler& handler);

}  // namespace leafwright
