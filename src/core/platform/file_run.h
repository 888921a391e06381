#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/pending_output.h"

namespace leafwright {

// What a front end answers and hears during a run that turns each file of a
// list into another file (a text into a PDF, a PDF into a text).
class FileRunHandler {
public:
    virtual ~FileRunHandler() = default;
    // The output path names an existing file (not a folder): replace it?
    // Asked before the conversion when the file exists then, or when the
    // finished output finds that a file appeared at its path meanwhile.
    virtual bool confirmOverwrite(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The source was turned into outputPath.
    virtual void converted(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The overwrite question was answered No: the source is dropped, and no
    // file was changed.
    virtual void declined(const std::string& sourcePath, const std::string& outputPath) = 0;
    // The source failed. Return true to go on with the next source, false to
    // stop the run here (the source and those after it stay unconverted).
    virtual bool failed(const std::string& sourcePath, const FileError& error) = 0;
    // The source was converted, but something about it deserves a word.
    virtual void warned([[maybe_unused]] const std::string& sourcePath,
                        [[maybe_unused]] const std::string& message) {}

    // True for a handler that asks no one: confirmOverwrite gives a fixed
    // answer without side effects, and failed always goes on. Its run may
    // hold replaced files back to flush them to disk together, and their
    // reports (and those after them) wait with them, in file order.
    virtual bool reportsMayWait() const { return false; }
};

// True when the output path names the source itself: the same path, a link
// or a hard link to it. Writing that output would destroy the source.
bool outputWouldReplaceSource(const std::string& sourcePath, const std::string& outputPath);

// What turning one source into its output came to.
struct FileRunStepResult {
    // False when the finished output met an entry at its path that the
    // question declined to replace: nothing was written.
    bool placed = true;
    // A word about the converted source for the user, or empty.
    std::string warning;
};

struct FileRunSteps {
    // The output path of a source.
    std::function<std::string(const std::string& sourcePath)> outputPathOf;
    // Turns one source into its output. Throws FileError; any other
    // exception is reported as a failure of the source too.
    std::function<FileRunStepResult(const std::string& sourcePath,
                                    const std::string& outputPath,
                                    const ReplaceQuestion& mayReplace)>
        convertOne;
    // The cause given when an output would replace its own source.
    std::string ownSourceCause;
};

// The one loop over a list of sources, for every front end: for each source
// in order, its output path; an output that would replace the source is
// refused before any question (answering could not help); an existing file
// (not a folder) is replaced only after a Yes, asked before the conversion or,
// for a file that appeared meanwhile, when the output is complete; then the
// report. A cancelled run (RunControlScope) throws RunCancelled between files
// or while a file is read or written; that file is abandoned, leaves no
// output and gets no report.
void runOverFiles(const std::vector<std::string>& sources, const FileRunSteps& steps,
                  FileRunHandler& handler);

}  // namespace leafwright
