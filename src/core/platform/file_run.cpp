#include "platform/file_run.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/file_search.h"

namespace leafwright {

bool outputWouldReplaceSource(const std::string& sourcePath, const std::string& outputPath) {
    if (sourcePath == outputPath) return true;
    std::error_code ignored;
    return std::filesystem::equivalent(sourcePath, outputPath, ignored);
}

namespace {

// Anything at the path that a finished output would replace: a file, a link
// to one, a dangling link. A folder, or a link to one, is not: the writer
// refuses it.
bool outputWouldReplaceEntry(const std::string& path) {
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) return false;
    return !(S_ISLNK(entry.st_mode) && entryKind(path) == EntryKind::Directory);
}

}  // namespace

void runOverFiles(const std::vector<std::string>& sources, const FileRunSteps& steps,
                  FileRunHandler& handler) {
    for (const std::string& source : sources) {
        const std::string output = steps.outputPathOf(source);
        try {
            if (outputWouldReplaceSource(source, output))
                throw FileError(source, steps.ownSourceCause);
            bool replaceGranted = false;
            if (outputWouldReplaceEntry(output)) {
                if (!handler.confirmOverwrite(source, output)) {
                    handler.declined(source, output);
                    continue;
                }
                replaceGranted = true;
            }
            // A file that appeared while the output was written is asked
            // about when the output is ready to take its place.
            ReplaceQuestion mayReplace = [&] {
                return replaceGranted || handler.confirmOverwrite(source, output);
            };
            if (!steps.convertOne(source, output, mayReplace)) {
                handler.declined(source, output);
                continue;
            }
        } catch (const FileError& error) {
            if (handler.failed(source, error)) continue;
            return;
        }
        handler.converted(source, output);
    }
}

}  // namespace leafwright
