#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace leafwright::testing {

// Runs a test inside a folder of its own and goes back afterwards. The
// programs themselves never change their current folder.
class InFolder {
  public:
    explicit InFolder(const std::string& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

}  // namespace leafwright::testing
