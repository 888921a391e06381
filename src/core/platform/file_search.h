#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

struct FoundEntry {
    std::string fullPath;  // absolute path of the entry
    bool isDirectory = false;
};

// Searches the file system for entries matching a path or pattern. The
// wildcards are those of Windows, * and ?, and "\*" and "\?" stand for the
// characters themselves; every other character stands for itself ("[", "]"
// and "\" are common in folder names here, where Windows allows none of
// * and ?). An entry the pattern names exactly comes first. A relative
// pattern is taken relative to the current folder. A pattern that ends in
// "/" names no entry and finds nothing.
std::vector<FoundEntry> findEntries(const std::string& pattern);

// A pattern that findEntries takes as exactly this path: its * and ?
// escaped.
std::string literalSearchPattern(std::string_view path);

// What stands at a path (links followed).
enum class EntryKind { None, File, Directory };
EntryKind entryKind(const std::string& path);

// True when the path is a symbolic link that leads to nothing (or cannot be
// followed).
bool isDanglingLink(const std::string& path);

// True when the path names the file with this device and inode number: the
// same file under another name, through a link or a hard link.
bool namesFile(const std::string& path, std::uint64_t device, std::uint64_t inode);

// The process's current folder.
std::string currentFolder();

}  // namespace leafwright
