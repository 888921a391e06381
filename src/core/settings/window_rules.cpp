#include "core/settings/window_rules.h"

#include "core/platform/file_search.h"

namespace leafwright {

void applyFolderRule(ChosenValues& values) {
    if (values.customFolder == 0) values.folder = kDefaultPath;
}

std::string exactSearchPattern(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return literalSearchPattern(folder);
}

}  // namespace leafwright
