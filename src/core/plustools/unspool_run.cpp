#include "plustools/unspool_run.h"

#include <filesystem>
#include <string_view>

#include "platform/file_search.h"
#include "platform/text_file_reader.h"
#include "platform/text_file_writer.h"
#include "plustools/unspool_filter.h"

namespace leafwright {

namespace {

constexpr const char* kOwnSourceCause = "the extracted text would overwrite its own source";

// Output is handed to the writer in pieces of about this size.
constexpr std::size_t kPieceSize = 64 * 1024;

// True when both paths name one file (the same path, a link or a hard link).
bool sameFile(const std::string& first, const std::string& second) {
    if (first == second) return true;
    std::error_code ignored;
    return std::filesystem::equivalent(first, second, ignored);
}

}  // namespace

std::string unspoolOutputPathFor(const std::string& sourcePath) {
    std::size_t keep = sourcePath.size() < 3 ? 0 : sourcePath.size() - 3;
    return sourcePath.substr(0, keep) + "txt";
}

void unspoolFile(const std::string& sourcePath, const std::string& outputPath) {
    TextFileReader reader(sourcePath);
    // Even with the safe replacement, the finished output would take the
    // source's place: the text read would be lost.
    if (outputPath == sourcePath || namesFile(outputPath, reader.device(), reader.inode()))
        throw FileError(sourcePath, kOwnSourceCause);

    TextFileWriter writer(outputPath);
    UnspoolFilter filter;
    std::string pending;
    pending.reserve(kPieceSize + 4096);
    std::string_view line;
    while (reader.readLine(line)) {
        filter.filterLine(line, pending);
        if (pending.size() >= kPieceSize) {
            writer.writeRaw(pending);
            pending.clear();
        }
    }
    writer.writeRaw(pending);
    reader.close();
    writer.commit();
}

void unspoolFiles(const std::vector<std::string>& sources, UnspoolRunHandler& handler) {
    for (const std::string& source : sources) {
        const std::string output = unspoolOutputPathFor(source);
        try {
            // Refused before the question: answering it could not help.
            if (sameFile(source, output)) throw FileError(source, kOwnSourceCause);
            if (entryKind(output) == EntryKind::File && !handler.confirmOverwrite(source, output)) {
                handler.declined(source, output);
                continue;
            }
            unspoolFile(source, output);
        } catch (const FileError& error) {
            if (!handler.failed(source, error)) return;
            continue;
        }
        handler.converted(source, output);
    }
}

}  // namespace leafwright
