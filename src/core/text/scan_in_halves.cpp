#include "core/text/scan_in_halves.h"

#include <algorithm>
#include <cstring>

namespace leafwright {

std::uint64_t lineStartAfter(TextFileReader& reader, std::uint64_t from, std::uint64_t before) {
    reader.seek(from);
    std::string_view block;
    while (reader.offset() < before && reader.readBlock(block)) {
        const std::uint64_t blockStart = reader.offset() - block.size();
        block = block.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(
                                    block.size(), before > blockStart ? before - blockStart : 0)));
        if (const void* lf = std::memchr(block.data(), '\n', block.size()))
            return blockStart +
                   static_cast<std::uint64_t>(static_cast<const char*>(lf) - block.data()) + 1;
    }
    return 0;
}

}  // namespace leafwright
