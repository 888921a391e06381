#include "cli/source_list.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform/file_error.h"

namespace leafwright::cli {

namespace {

constexpr std::size_t kBlockSize = 1 << 16;

}  // namespace

std::string emptyEntrySource(std::uint64_t entry) {
    return std::string(1, '\0') + std::to_string(entry);
}

std::optional<std::uint64_t> emptyEntryOf(const std::string& source) {
    if (source.size() < 2 || source[0] != '\0') return std::nullopt;
    return std::stoull(source.substr(1));
}

std::string emptyEntryCause(std::uint64_t entry) {
    return "empty name at entry " + std::to_string(entry);
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
            source = emptyEntrySource(entry);
            return true;
        }
        if (listed) emptyInARow_ = 0;
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
