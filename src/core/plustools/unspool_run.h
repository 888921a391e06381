#pragma once

#include <string>
#include <vector>

#include "platform/file_error.h"

namespace leafwright {

// The text file a PDF is extracted into: the source path with its last three
// characters dropped (whatever they are) and "txt" appended, so it always
// lies beside its source.
std::string unspoolOutputPathFor(const std::string& sourcePath);

// Extracts the text of one PDF into outputPath, reading the source line by
// line and writing as it goes. The source is opened before the output is
// created; the output replaces an existing file only once it is complete.
// Throws FileError naming the file on any failure, among them an output path
// that names the source itself (the source is then left untouched).
void unspoolFile(const std::string& sourcePath, const std::string& outputPath);

// What a front end answers and hears during a run over a list of PDFs.
class UnspoolRunHandler {
  public:
    virtual ~UnspoolRunHandler() = default;
    // The output path names an existing file (not a folder): replace it?
    virtual bool confirmOverwrite(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The text of the source was written to outputPath.
    virtual void converted(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The overwrite question was answered No: the source is dropped and no
    // file was opened, created or changed.
    virtual void declined(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The source failed. Return true to go on with the next source, false to
    // stop the run here (the source and those after it stay unconverted).
    virtual bool failed(const std::string& sourcePath, const FileError& error) = 0;
};

// Extracts the sources in order: output path, overwrite question,
// extraction, report. This one loop serves the window and the command line.
void unspoolFiles(const std::vector<std::string>& sources, UnspoolRunHandler& handler);

}  // namespace leafwright
