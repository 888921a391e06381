#include "core/plustools/unspool_run.h"

#include <string_view>

#include "core/platform/file_search.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/plustools/unspool_filter.h"

namespace leafwright {

namespace {

constexpr const char* kOwnSourceCause = "the extracted text would overwrite its own source";

// Output is handed to the writer in pieces of about this size.
constexpr std::size_t kPieceSize = 64 * 1024;

}  // namespace

std::string unspoolOutputPathFor(const std::string& sourcePath) {
    std::size_t keep = sourcePath.size() < 3 ? 0 : sourcePath.size() - 3;
    return sourcePath.substr(0, keep) + "txt";
}

bool unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                 const ReplaceQuestion& mayReplace) {
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
    return writer.commit(mayReplace);
}

void unspoolFiles(const std::vector<std::string>& sources, UnspoolRunHandler& handler) {
    FileRunSteps steps;
    steps.outputPathOf = unspoolOutputPathFor;
    steps.convertOne = [](const std::string& source, const std::string& output,
                          const ReplaceQuestion& mayReplace) {
        return unspoolFile(source, output, mayReplace);
    };
    steps.ownSourceCause = kOwnSourceCause;
    runOverFiles(sources, steps, handler);
}

}  // namespace leafwright
