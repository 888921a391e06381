#include "core/plustools/split_part_name.h"

#include <climits>

namespace leafwright {

namespace {

constexpr std::size_t kMaxFileName = NAME_MAX;

bool hasExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return false;
    const std::size_t length = name.size() - dot - 1;
    if (length == 0 || length > 8) return false;
    for (std::size_t k = dot + 1; k < name.size(); ++k) {
        const char c = name[k];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

}  // namespace

SplitPartName splitPartNameFor(const std::string& title) {
    if (title.empty()) return {{}, "it has no title"};
    if (title == "." || title == "..") return {{}, "its title names a folder"};
    for (char c : title) {
        if (c == '/') return {{}, "its title holds a \"/\", which would lead out of the folder"};
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return {{}, "its title holds a control character"};
    }
    std::string name = hasExtension(title) ? title : title + ".txt";
    if (name.size() > kMaxFileName) return {{}, "its title is too long for a file name"};
    return {std::move(name), {}};
}

}  // namespace leafwright
