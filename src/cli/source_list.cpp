#include "cli/source_list.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "core/platform/file_error.h"

namespace leafwright::cli {

namespace {

constexpr std::size_t kBlockSize = 1 << 16;

}  // namespace

// A NUL byte, the kind ('E' empty, 'N' holds a NUL byte) and the entry's
// number in decimal: a listed name never reaches the run in this form, as
// one holding a NUL byte is replaced by it.
std::string unusableEntrySource(const UnusableEntry& entry) {
    return std::string(1, '\0') + (entry.holdsNul ? 'N' : 'E') + std::to_string(entry.entry);
}

std::optional<UnusableEntry> unusableEntryOf(const std::string& source) {
    if (source.size() < 3 || source[0] != '\0' || (source[1] != 'E' && source[1] != 'N'))
        return std::nullopt;
    UnusableEntry entry;
    entry.holdsNul = source[1] == 'N';
    const char* end = source.data() + source.size();
    const auto [stop, error] = std::from_chars(source.data() + 2, end, entry.entry);
    if (error != std::errc() || stop != end) return std::nullopt;
    return entry;
}

std::string unusableEntryCause(const UnusableEntry& entry) {
    return (entry.holdsNul ? "name holding a NUL byte at entry " : "empty name at entry ") +
           std::to_string(entry.entry);
}

SourceList::SourceList(std::vector<std::string> files, const RunOptions& options,
                       std::string standardInputPath)
    : files_(std::move(files)),
      standardInputPath_(std::move(standardInputPath)),
      separator_(options.nulSeparated ? '\0' : '\n'),
      shard_(options.shard) {
    if (!options.filesFrom) {
        listEnded_ = true;
        return;
    }
    listName_ = *options.filesFrom;
    if (listName_ == "-") {
        listFd_ = STDIN_FILENO;
    } else {
        // A list may well be a pipe (a process substitution), so it need not
        // be a regular file; no name in it can grow past PATH_MAX, so memory
        // stays bounded whatever it is.
        listFd_ = ::open(listName_.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        if (listFd_ < 0) throw FileError::fromErrno(listName_, errno);
        closeList_ = true;
    }
    block_.resize(kBlockSize);
}

SourceList::~SourceList() {
    if (closeList_) ::close(listFd_);
}

bool SourceList::next(std::string& source) {
    std::string name;
    bool listed = false;
    while (nextName(name, listed)) {
        if (listed && name.empty()) {
            if (++emptyInARow_ == kMostEmptyNamesInARow)
                throw FileError(listName_, "holds " + std::to_string(kMostEmptyNamesInARow) +
                                               " empty names in a row; it is read no further");
            // Empty names take no place among the sources: with or without
            // them, the shards share the same files.
            const std::uint64_t entry = listEntries_;
            if (shard_ && (entry - 1) % shard_->count != shard_->index) continue;
            source = unusableEntrySource({.entry = entry, .holdsNul = false});
            return true;
        }
        if (listed) emptyInARow_ = 0;
        // No path holds a NUL byte: opened as given, such a name would stand
        // for the part before it.
        if (listed && name.find('\0') != std::string::npos)
            name = unusableEntrySource({.entry = listEntries_, .holdsNul = true});
        const std::uint64_t position = position_++;
        if (shard_ && position % shard_->count != shard_->index) continue;
        source = std::move(name);
        return true;
    }
    return false;
}

bool SourceList::nextName(std::string& name, bool& listed) {
    listed = nextFile_ >= files_.size();
    if (!listed) {
        // The FILE "-" is standard input; a "-" in the list is a file's name.
        name = files_[nextFile_++];
        if (name == "-") name = standardInputPath_;
        return true;
    }
    if (!nextListedName(name)) return false;
    ++listEntries_;
    return true;
}

bool SourceList::nextListedName(std::string& name) {
    name.clear();
    bool any = false;
    for (;;) {
        if (blockStart_ == blockEnd_) {
            if (listEnded_) return any;
            ssize_t got = ::read(listFd_, block_.data(), block_.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw FileError::fromErrno(listName_, errno);
            if (got == 0) {
                listEnded_ = true;
                return any;
            }
            blockStart_ = 0;
            blockEnd_ = static_cast<std::size_t>(got);
        }
        const char* start = block_.data() + blockStart_;
        const auto* end =
            static_cast<const char*>(std::memchr(start, separator_, blockEnd_ - blockStart_));
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(end - start) : blockEnd_ - blockStart_;
        if (name.size() + length >= PATH_MAX)
            throw FileError(listName_,
                            "holds a name longer than " + std::to_string(PATH_MAX - 1) + " bytes");
        name.append(start, length);
        any = true;
        blockStart_ += length;
        if (end != nullptr) {
            ++blockStart_;
            return true;
        }
    }
}

}  // namespace leafwright::cli
