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
    while (nextName(name)) {
        if (name.empty()) continue;
        const std::uint64_t position = position_++;
        if (shard_ && position % shard_->count != shard_->index) continue;
        source = std::move(name);
        return true;
    }
    return false;
}

bool SourceList::nextName(std::string& name) {
    if (nextFile_ < files_.size()) {
        // The FILE "-" is standard input; a "-" in the list is a file's name.
        name = files_[nextFile_++];
        if (name == "-") name = standardInputPath_;
        return true;
    }
    return nextListedName(name);
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
