#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/run_options.h"

namespace leafwright::cli {

// An entry of the list (counted from 1) that can name no file: an empty
// name, or, in a list of lines, one holding a NUL byte.
struct UnusableEntry {
    std::uint64_t entry = 0;
    bool holdsNul = false;  // else it is empty
};
// A source standing for such an entry: it starts with a NUL byte, as no path
// can, so it names no file, and its conversion fails with the message
// unusableEntryCause gives.
std::string unusableEntrySource(const UnusableEntry& entry);
// The entry an unusableEntrySource stands for; nullopt for any other source.
std::optional<UnusableEntry> unusableEntryOf(const std::string& source);
std::string unusableEntryCause(const UnusableEntry& entry);

// How many empty names in a row make a list refused: no list of names looks
// like that, while an endless source of them (a device) would keep the run
// busy for ever.
inline constexpr std::uint64_t kMostEmptyNamesInARow = 1000;

// The sources of a run in order: the FILE arguments, then the names read from
// the --files-from list, and of those only the ones of this process's shard.
// An unusable name in the list comes as an unusableEntrySource, so that it
// is reported in its place, by one shard only. The list is read in blocks as
// names are needed, so a list of millions of names takes no more memory than
// one.
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
    // list when it cannot be read, holds a name too long to be a path, or
    // kMostEmptyNamesInARow empty names in a row.
    bool next(std::string& source);

  private:
    bool nextName(std::string& name, bool& listed);
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
    std::uint64_t listEntries_ = 0;  // entries read from the list
    std::uint64_t emptyInARow_ = 0;
};

}  // namespace leafwright::cli
