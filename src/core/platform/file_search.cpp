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

// The pattern in glob()'s terms; the path it names read with its escapes
// undone, and whether it holds a wildcard.
struct GlobPattern {
    std::string glob;
    std::string literal;
    bool wildcards = false;
};

GlobPattern globPattern(std::string_view pattern) {
    GlobPattern made;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size() &&
            (pattern[i + 1] == '*' || pattern[i + 1] == '?')) {
            made.glob += '\\';
            made.glob += pattern[++i];
            made.literal += pattern[i];
            continue;
        }
        if (c == '*' || c == '?') made.wildcards = true;
        if (c == '[' || c == ']' || c == '\\') made.glob += '\\';
        made.glob += c;
        made.literal += c;
    }
    return made;
}

}  // namespace

std::vector<FoundEntry> findEntries(const std::string& pattern) {
    std::vector<FoundEntry> found;
    if (pattern.empty() || pattern.back() == '/') return found;
    const GlobPattern made = globPattern(pattern);
    // Read as the name itself, the pattern names an entry: it comes first,
    // so that a folder called "out*" is the one its own name finds.
    const std::string exact = made.wildcards ? std::string(pattern) : made.literal;
    const EntryKind exactKind = entryKind(exact);
    std::string exactPath;
    if (exactKind != EntryKind::None || isDanglingLink(exact)) {
        exactPath = absolutePath(exact);
        found.push_back({exactPath, exactKind == EntryKind::Directory});
    }
    glob_t matches{};
    int result = ::glob(made.glob.c_str(), GLOB_NOSORT, nullptr, &matches);
    if (result == 0) {
        for (std::size_t i = 0; i < matches.gl_pathc; ++i) {
            std::string path = matches.gl_pathv[i];
            std::string full = absolutePath(path);
            if (full == exactPath) continue;
            found.push_back({std::move(full), entryKind(path) == EntryKind::Directory});
        }
    }
    ::globfree(&matches);
    return found;
}

std::string literalSearchPattern(std::string_view path) {
    std::string pattern;
    for (char c : path) {
        if (c == '*' || c == '?') pattern += '\\';
        pattern += c;
    }
    return pattern;
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
