#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/run/file_run.h"

namespace leafwright::testing {

// Records every report of a file run as a line of text ("ask a.txt",
// "converted a.txt -> a.pdf", "declined a.txt", "failed a.txt", by file
// name) and answers with preset replies.
class RecordingRunHandler : public FileRunHandler {
  public:
    bool overwrite = true;
    bool goOn = true;
    std::vector<std::string> events;
    std::vector<FileError> errors;

    bool confirmOverwrite(const std::string& source, const std::string&) override {
        events.push_back("ask " + name(source));
        return overwrite;
    }
    void converted(const std::string& source, const std::string& output) override {
        events.push_back("converted " + name(source) + " -> " + name(output));
    }
    void declined(const std::string& source, const std::string&) override {
        events.push_back("declined " + name(source));
    }
    bool failed(const std::string& source, const FileError& error) override {
        events.push_back("failed " + name(source));
        errors.push_back(error);
        return goOn;
    }

  private:
    static std::string name(const std::string& path) {
        return std::filesystem::path(path).filename().string();
    }
};

}  // namespace leafwright::testing
