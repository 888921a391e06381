#include "cli/command_line_run_handler.h"

#include "cli/commands.h"
#include "cli/source_list.h"
#include "cli/standard_output.h"
#include "cli/terminal_name.h"
#include "core/pdf/lines_past_edge.h"
#include "core/platform/file_search.h"

namespace leafwright::cli {

const std::string& CommandLineRunHandler::shown(const std::string& path) const {
    if (unusableEntryOf(path)) return how_.listName;
    const auto found = how_.shownNames.find(path);
    return found == how_.shownNames.end() ? path : found->second;
}

void CommandLineRunHandler::converted(const std::string&, const std::string& outputPath) {
    noteConverted();
    if (how_.printPaths) printOutputLine(terminalName(shown(outputPath)));
}

const char* CommandLineRunHandler::notDoneCause(const std::string& outputPath) const {
    if (!how_.skipExisting) return " already exists (--force replaces it)";
    // With --skip-existing an existing output is the work of an earlier run.
    if (isDanglingLink(outputPath))
        return " exists as a link that leads nowhere, not as a finished output (--force "
               "replaces it)";
    return nullptr;
}

void CommandLineRunHandler::convertedWithFacts(const std::string& sourcePath,
                                               const std::string& outputPath,
                                               const FileRunFacts& facts) {
    if (facts.parts.empty()) {
        FileRunHandler::convertedWithFacts(sourcePath, outputPath, facts);
    } else {
        noteConverted();
        if (how_.printPaths)
            for (const std::string& part : facts.parts) printOutputLine(terminalName(shown(part)));
        if (!facts.warning.empty()) warned(sourcePath, facts.warning);
    }
    if (facts.linesPastEdge.value_or(0) > 0)
        warned(sourcePath, linesPastEdgeWarning(*facts.linesPastEdge));
    for (const SourceRunFacts& source : facts.sources)
        if (source.linesPastEdge.value_or(0) > 0)
            warned(source.path, linesPastEdgeWarning(*source.linesPastEdge));
}

void CommandLineRunHandler::declined(const std::string& sourcePath, const std::string& outputPath) {
    // A done source has nothing to say.
    const char* cause = notDoneCause(outputPath);
    if (cause == nullptr) return;
    printError(terminalName(shown(sourcePath)) + ": skipped, " + terminalName(shown(outputPath)) +
               cause);
    noteNotDone();
}

bool CommandLineRunHandler::failed(const std::string& sourcePath, const FileError& error) {
    printError(failureText(sourcePath, error, terminalName));
    noteNotDone();
    return true;
}

void CommandLineRunHandler::warned(const std::string& sourcePath, const std::string& message) {
    printError(terminalName(shown(sourcePath)) + ": " + message);
}

}  // namespace leafwright::cli
