#include "core/platform/file_search.h"

#include <glob.h>
#include <sys/stat.h>

#include <filesystem>

namespace leafwright {

namespace {

std::string absolutePath(const std::string& path) {
    std::filesystem::path p(path);
    if (p.is_relative()) p = std::filesystem::path(currentFolder()) / p;
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

std::vector<FoundEntry> findEntries(const std::string& pattern) {
    std::vector<FoundEntry> found;
    if (pattern.empty() || pattern.back() == '/') return found;
    glob_t matches{};
    int result = ::glob(pattern.c_str(), GLOB_NOSORT, nullptr, &matches);
    if (result == 0) {
        for (std::size_t i = 0; i < matches.gl_pathc; ++i) {
            std::string path = matches.gl_pathv[i];
            found.push_back({absolutePath(path), entryKind(path) == EntryKind::Directory});
        }
    }
    ::globfree(&matches);
    return found;
}

EntryKind entryKind(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return EntryKind::None;
    return S_ISDIR(info.st_mode) ? EntryKind::Directory : EntryKind::File;
}

bool isDanglingLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
           entryKind(path) == EntryKind::None;
}

bool namesFile(const std::string& path, std::uint64_t device, std::uint64_t inode) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    return static_cast<std::uint64_t>(info.st_dev) == device &&
           static_cast<std::uint64_t>(info.st_ino) == inode;
}

std::string currentFolder() {
    std::error_code error;
    auto folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

}  // namespace leafwright
