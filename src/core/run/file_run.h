#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/pending_output.h"

namespace leafwright {

// What one source of a document made of several came to.
struct SourceRunFacts {
    std::string path;
    std::string warning;  // a word for the user, or empty
    // Lines running past the right edge of the page, when counted.
    std::optional<std::uint64_t> linesPastEdge;
};

// What a converted source came to, for a front end that reports more than
// the output's path.
struct FileRunFacts {
    std::uint64_t bytes = 0;                    // the size of the written output
    std::optional<std::uint64_t> pages;         // pages of a written document
    std::optional<std::uint64_t> wrappedLines;  // lines drawn in more than one row
    // Lines running past the right edge of the page, when counted; each
    // front end says so in its own words (not in `warning`).
    std::optional<std::uint64_t> linesPastEdge;
    double seconds = 0;    // the time the source took
    std::string warning;   // a word for the user, or empty
    std::string encoding;  // the encoding a text was read in, or empty
    // The files written, when a source gave several (a PDF split by its
    // outline); the output path is then their folder.
    std::vector<std::string> parts;
    // When the output was made of several sources (one PDF of many files):
    // each source's own facts, in list order.
    std::vector<SourceRunFacts> sources;
};

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
    // The source was converted: the report with everything known about it.
    // By default the path (converted) and then the warnings, if any
    // (warned), the document's and each of its sources'.
    virtual void convertedWithFacts(const std::string& sourcePath, const std::string& outputPath,
                                    const FileRunFacts& facts) {
        converted(sourcePath, outputPath);
        if (!facts.warning.empty()) warned(sourcePath, facts.warning);
        for (const SourceRunFacts& source : facts.sources)
            if (!source.warning.empty()) warned(source.path, source.warning);
    }

    // True for a handler that asks no one: confirmOverwrite gives a fixed
    // answer without side effects, and failed always goes on. Its run may
    // hold replaced files back to flush them to disk together, and their
    // reports (and those after them) wait with them, in file order.
    virtual bool reportsMayWait() const { return false; }
};

// What turning one source into its output came to.
struct FileRunStepResult {
    // False when the finished output met an entry at its path that the
    // question declined to replace: nothing was written.
    bool placed = true;
    // A word about the converted source for the user, or empty.
    std::string warning;
    // The size of the written output, and its pages when it has any.
    std::uint64_t bytes = 0;
    std::optional<std::uint64_t> pages;
    // With wrapping on, the source lines drawn in more than one row.
    std::optional<std::uint64_t> wrappedLines;
    // When they are counted, the source lines that run past the right edge
    // of the page (not in `warning`: each front end words it).
    std::optional<std::uint64_t> linesPastEdge;
    // The encoding the source was read in, when it is a text.
    std::string encoding{};
    // The files written, when the source gave several.
    std::vector<std::string> parts;
};

struct FileRunSteps {
    // The output path of a source.
    std::function<std::string(const std::string& sourcePath)> outputPathOf;
    // Turns one source into its output, refusing an output over its own
    // source once the source is open (refuseOutputOverSource). Throws
    // FileError; any other exception is reported as a failure of the source
    // too.
    std::function<FileRunStepResult(const std::string& sourcePath, const std::string& outputPath,
                                    const ReplaceQuestion& mayReplace)>
        convertOne;
};

// Makes the steps for one worker of a run, whose conversions may each use
// threadsPerFile threads (more than one only when the worker is the run's
// only one, so that the cores are not taken twice over).
using FileRunStepsMaker = std::function<FileRunSteps(unsigned threadsPerFile)>;

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

// The sources of a run, one at a time: sets `source` and returns true, or
// returns false after the last one. A list of millions of names is read as
// it is needed, never held whole.
using SourceFeed = std::function<bool(std::string& source)>;

void runOverFiles(const SourceFeed& sources, const FileRunSteps& steps, FileRunHandler& handler);

// What became of one source, before it is reported.
struct FileRunOutcome {
    enum class Kind { Converted, Declined, Failed };
    Kind kind = Kind::Failed;
    std::string source;
    std::string output;
    FileRunFacts facts;
    std::optional<FileError> error;
};

// The body of the loop for one source: output path, refusal of an output
// that is its own source, the overwrite question, the conversion. Every
// failure becomes the outcome; nothing is reported yet.
FileRunOutcome runOneFile(const std::string& source, const FileRunSteps& steps,
                          FileRunHandler& handler);

// Reports outcomes in the order nextOutcome gives them (it returns false
// after the last one) until the handler stops the run at a failure. When the
// handler lets reports wait, replacements committed on this thread while
// nextOutcome runs are flushed together, and their reports wait with them.
void reportOutcomes(const std::function<bool(FileRunOutcome& outcome)>& nextOutcome,
                    FileRunHandler& handler);

}  // namespace leafwright
