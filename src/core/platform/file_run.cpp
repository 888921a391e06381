#include "platform/file_run.h"

#include <exception>
#include <filesystem>

#include "platform/file_search.h"

namespace leafwright {

bool outputWouldReplaceSource(const std::string& sourcePath, const std::string& outputPath) {
    if (sourcePath == outputPath) return true;
    std::error_code ignored;
    return std::filesystem::equivalent(sourcePath, outputPath, ignored);
}

void runOverFiles(const std::vector<std::string>& sources, const FileRunSteps& steps,
                  FileRunHandler& handler) {
    for (const std::string& source : sources) {
        const std::string output = steps.outputPathOf(source);
        try {
            if (outputWouldReplaceSource(source, output))
                throw FileError(source, steps.ownSourceCause);
            if (entryKind(output) == EntryKind::File && !handler.confirmOverwrite(source, output)) {
                handler.declined(source, output);
                continue;
            }
            steps.convertOne(source, output);
        } catch (const std::exception& error) {
            // Whatever stops one file (memory running out on it, say) is
            // reported as that file's failure; the handler decides whether
            // the run goes on.
            if (handler.failed(source, FileError::fromException(source, error))) continue;
            return;
        }
        handler.converted(source, output);
    }
}

}  // namespace leafwright
