#pragma once

#include <functional>
#include <string>

#include "cli/command_line_run_handler.h"

namespace leafwright::cli {

// Reports each source as one JSON object a line on standard output, for a
// batch system that reads outcomes rather than messages:
//   {"source", "output", "status": "written" | "exists" | "skipped" | "failed",
//    "message", "pages", "bytes", "seconds", "warnings"}
// and, for one PDF of many files, "sources": [{"source", "past_edge_lines",
// "warnings"}] in their order.
// A name that is not valid UTF-8 comes with its bytes in hex ("source_hex",
// "output_hex"), the name itself with U+FFFD in place of the bad bytes.
// Standard error stays silent about the files.
class JsonRunHandler : public CommandLineRunHandler {
  public:
    // `outputPathOf` names the output of a source that failed.
    JsonRunHandler(RunReporting how, std::function<std::string(const std::string&)> outputPathOf)
        : CommandLineRunHandler(std::move(how)), outputPathOf_(std::move(outputPathOf)) {}

    void convertedWithFacts(const std::string& sourcePath, const std::string& outputPath,
                            const FileRunFacts& facts) override;
    void declined(const std::string& sourcePath, const std::string& outputPath) override;
    bool failed(const std::string& sourcePath, const FileError& error) override;

  private:
    std::function<std::string(const std::string&)> outputPathOf_;
};

}  // namespace leafwright::cli
