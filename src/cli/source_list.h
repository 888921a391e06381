#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/run_options.h"

namespace leafwright::cli {

// The sources of a run in order: the FILE arguments, then the names read from
// the --files-from list, empty names skipped, and of those only the ones of
// this process's shard. The list is read in blocks as names are needed, so a
// list of millions of names takes no more memory than one.
class SourceList {
  public:
    // `standardInputPath` stands for the FILE "-" (standard input spooled to
    // a file). Opens the list; throws FileError naming it when it cannot be.
    SourceList(std::vector<std::string> files, const RunOptions& options,
               std::string standardInputPath);
    ~SourceList();
    SourceList(const SourceList&) = delete;
    SourceList& operator=(const SourceList&) = delete;

    // The next source; false after the last one. Throws FileError naming the
    // list when it cannot be read or holds a name too long to be a path.
    bool next(std::string& source);

  private:
    bool nextName(std::string& name);
    bool nextListedName(std::string& name);

    std::vector<std::string> files_;
    std::size_t nextFile_ = 0;
    std::string standardInputPath_;
    std::string listName_;
    int listFd_ = -1;
    bool closeList_ = false;
    char separator_ = '\n';
    std::vector<char> block_;
    std::size_t blockStart_ = 0;
    std::size_t blockEnd_ = 0;
    bool listEnded_ = false;
    std::optional<Shard> shard_;
    std::uint64_t position_ = 0;
};

}  // namespace leafwright::cli
