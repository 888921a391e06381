// Reads arbitrary bytes as a configuration file, checks that writing the
// values and reading them again gives the same values (the settings after
// the twelve lines included), and feeds the twelve
// lines to the settings derivation, which must either reject them with one
// of its messages or give values a document can be written with.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/platform/file_error.h"
#include "core/settings/config_file.h"
#include "core/settings/conversion_settings.h"
#include "core/settings/derivation.h"
#include "work_folder.h"

namespace {

const std::string& workFolder() {
    static const std::string& folder = []() -> const std::string& {
        const std::string& made = leafwright::fuzzing::workFolder("config");
        if (::mkdir((made + "/out").c_str(), 0700) != 0 ||
            ::mkdir((made + "/out/deeper").c_str(), 0700) != 0)
            std::abort();
        return made;
    }();
    return folder;
}

// The folder line is searched relative to the current folder: each input
// runs in a small, private tree to find (or miss) folders in. The fuzzer's
// own folder comes back after it, for the relative paths of its corpus,
// which it reads between inputs.
class InWorkFolder {
  public:
    InWorkFolder() : previous_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (previous_ < 0 || ::chdir(workFolder().c_str()) != 0) std::abort();
    }
    ~InWorkFolder() {
        if (::fchdir(previous_) != 0) std::abort();
        ::close(previous_);
    }
    InWorkFolder(const InWorkFolder&) = delete;
    InWorkFolder& operator=(const InWorkFolder&) = delete;

  private:
    int previous_;
};

void writeWhole(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

bool sameValues(const leafwright::ChosenValues& a, const leafwright::ChosenValues& b) {
    return a.pageStyle == b.pageStyle && a.font == b.font && a.fontSize == b.fontSize &&
           a.textColor == b.textColor && a.pageColor == b.pageColor && a.rotation == b.rotation &&
           a.topMargin == b.topMargin && a.leftMargin == b.leftMargin &&
           a.landscape == b.landscape && a.customFolder == b.customFolder && a.folder == b.folder &&
           a.selfAdaptation == b.selfAdaptation && a.more == b.more;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const InWorkFolder inWorkFolder;
    const std::string input = workFolder() + "/input.tcf";
    const std::string copy = workFolder() + "/copy.tcf";
    writeWhole(input, data, size);
    try {
        leafwright::ChosenValues values = leafwright::readConfigFile(input);

        leafwright::writeConfigFile(copy, values);
        if (!sameValues(leafwright::readConfigFile(copy), values)) {
            std::fprintf(stderr, "config file: values change when written and read again\n");
            std::abort();
        }

        leafwright::ConversionSettings settings;
        int rejected = leafwright::deriveSettings(settings, values);
        if (rejected != 0) {
            if (rejected < 5 || rejected > 9) {
                std::fprintf(stderr, "derivation: message %d out of its range\n", rejected);
                std::abort();
            }
        } else if (settings.fontSizeValue <= 0 || settings.leadingValue <= 0 ||
                   settings.pageWidthValue <= 0 || settings.pageHeightValue <= 0 ||
                   settings.topMarginValue < 0 || settings.leftMarginValue < 0 ||
                   settings.outputFolder.empty()) {
            std::fprintf(stderr, "derivation: accepted values no document can use\n");
            std::abort();
        }
    } catch (const leafwright::FileError&) {
        // A file error is a proper answer to a file that cannot be read.
    }
    return 0;
}
