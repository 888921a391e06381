#include "core/fonts/table_directory.h"

#include <cstdint>

namespace leafwright {
namespace {

// The big-endian number of `width` bytes at `at`; false when the file ends
// before it.
bool readNumber(std::string_view file, std::uint64_t at, int width, std::uint64_t& value) {
    if (at > file.size() || file.size() - at < static_cast<std::uint64_t>(width)) return false;
    value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(file[static_cast<std::size_t>(at) + i]);
    return true;
}

}  // namespace

bool tablesLieWithinFile(std::string_view file, unsigned index) {
    std::uint64_t directory = 0;
    if (file.substr(0, 4) == "ttcf") {
        std::uint64_t faces = 0;
        if (!readNumber(file, 8, 4, faces) || index >= faces) return false;
        if (!readNumber(file, 12 + 4 * std::uint64_t{index}, 4, directory)) return false;
    } else if (index != 0) {
        return false;
    }
    std::uint64_t tables = 0;
    if (!readNumber(file, directory + 4, 2, tables)) return false;
    for (std::uint64_t table = 0; table < tables; ++table) {
        // 16 bytes a table from the directory's twelfth: tag, checksum,
        // offset, length.
        const std::uint64_t record = directory + 12 + 16 * table;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        if (!readNumber(file, record + 8, 4, offset) || !readNumber(file, record + 12, 4, length))
            return false;
        if (offset > file.size() || file.size() - offset < length) return false;
    }
    return true;
}

}  // namespace leafwright
