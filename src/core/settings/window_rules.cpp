#include "core/settings/window_rules.h"

namespace leafwright {

void applyFolderRule(ChosenValues& values) {
    if (values.customFolder == 0) values.folder = kDefaultPath;
}

std::string exactSearchPattern(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::string pattern;
    for (char c : folder) {
        if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

}  // namespace leafwright
