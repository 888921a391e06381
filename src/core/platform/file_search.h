#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace leafwright {

struct FoundEntry {
    std::string fullPath;  // absolute path of the entry
    bool isDirectory = false;
};

// Searches the file system for entries matching a path or pattern. Wildcards
// (*, ?, [...]) take effect; a relative pattern is taken relative to the
// current folder. A pattern that ends in "/" names no entry and finds nothing.
std::vector<FoundEntry> findEntries(const std::string& pattern);

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
