#include "core/pdf/combined_run.h"

#include <sys/stat.h>

#include <chrono>
#include <exception>
#include <utility>

#include "core/platform/file_error.h"
#include "core/platform/file_search.h"
#include "core/platform/run_watch.h"

namespace leafwright {

namespace {

// Whether a finished output would replace what stands at the path: a file,
// a link to one or a link that leads nowhere would be; a folder, or a link
// to one, would not (the writer refuses it).
bool wouldReplace(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) return false;
    return !(S_ISLNK(entry.st_mode) && entryKind(path) == EntryKind::Directory);
}

}  // namespace

void runCombinedConversion(const std::vector<std::string>& sources, const std::string& outputPath,
                           const ConversionSettings& settings, FileRunHandler& handler,
                           FontProvider* fonts, const CombineProgress& progress) {
    const auto start = std::chrono::steady_clock::now();
    CombinedOutcome outcome;
    try {
        throwIfRunCancelled();
        bool replaceGranted = false;
        if (wouldReplace(outputPath)) {
            if (!handler.confirmOverwrite(outputPath, outputPath)) {
                handler.declined(outputPath, outputPath);
                return;
            }
            replaceGranted = true;
        }
        // A file that appeared while the document was written is asked
        // about when the document is ready to take its place.
        const ReplaceQuestion mayReplace = [&] {
            return replaceGranted || handler.confirmOverwrite(outputPath, outputPath);
        };
        outcome = convertCombined(sources, outputPath, settings, mayReplace, fonts, progress);
    } catch (const RunCancelled&) {
        throw;
    } catch (const FileError& error) {
        handler.failed(outputPath, error);
        return;
    } catch (const std::exception& error) {
        handler.failed(outputPath, FileError::fromException(outputPath, error));
        return;
    }
    if (!outcome.placed) {
        handler.declined(outputPath, outputPath);
        return;
    }
    FileRunFacts facts;
    facts.bytes = outcome.bytes;
    facts.pages = outcome.pages;
    facts.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    facts.sources = std::move(outcome.sources);
    handler.convertedWithFacts(outputPath, outputPath, facts);
}

}  // namespace leafwright
