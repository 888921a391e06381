#include "core/plustools/split_part_name.h"

#include <climits>

namespace leafwright {

namespace {

constexpr std::size_t kMaxFileName = NAME_MAX;

bool endsInTxt(const std::string& name) {
    if (name.size() < 4) return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return end == ".txt";
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
    std::string name = endsInTxt(title) ? title : title + ".txt";
    if (name.size() > kMaxFileName) return {{}, "its title is too long for a file name"};
    return {std::move(name), {}};
}

}  // namespace leafwright
