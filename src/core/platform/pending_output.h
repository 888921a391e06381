#pragma once

#include <functional>
#include <set>
#include <string>

namespace leafwright {

// Asked when a finished output meets an entry at its path: true replaces the
// entry, false leaves it and drops the output. An empty question replaces.
using ReplaceQuestion = std::function<bool()>;

// A file being written that takes its name only once it is complete.
//
// Until commit() it has no name another user could open: it is an unnamed
// file (O_TMPFILE) in the target's folder where the file system allows one,
// otherwise a hidden name beside the target created with mode 0600 and
// listed for removal should a signal end the program. A commit never replaces
// an entry that stands at the target without asking (an entry may have
// appeared while the output was written); a file it replaces keeps its owner,
// group and permissions (less setuid and setgid), and the new content reaches
// the disk before it takes the name, so a crash leaves the old file or the
// whole new one. A pending output destroyed without a commit leaves nothing.
class PendingOutput {
  public:
    // Creates the temporary file. Throws FileError naming the target when the
    // target is a folder, a device, a pipe or a socket (or a link to one),
    // which is never replaced, or the folder cannot take a new file.
    explicit PendingOutput(std::string targetPath);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    // A replacement held back by a ReplacementBatch moves into it.
    PendingOutput(PendingOutput&& other) noexcept;
    PendingOutput& operator=(PendingOutput&&) = delete;

    // The descriptor to write the content to.
    int fd() const noexcept { return fd_; }
    const std::string& targetPath() const noexcept { return targetPath_; }

    // Gives the complete file the target's name. Returns false when an entry
    // stood at the target and the question declined to replace it: the
    // output is dropped and the entry left as it was. Throws FileError on any
    // failure; the target then stays as it was and nothing is left behind.
    bool commit(const ReplaceQuestion& mayReplace);

    // Drops the output; nothing is left behind.
    void discard() noexcept;

    // The last step of a replacement held back by a ReplacementBatch, once
    // its content is on disk: an unnamed file gets its hidden name only now,
    // right before the rename over the target, so that a SIGKILL while the
    // batch waits leaves nothing beside the target.
    void finishReplacement();

  private:
    bool createUnnamed();
    void createNamed();
    bool linkNew();
    bool renameNew();
    void prepareReplacement();
    void keepOwnerAndMode();
    std::string linkUnderHiddenName();
    void forgetTemporaryName() noexcept;
    void closeFile();
    void closeNewFile();

    std::string targetPath_;
    std::string folder_;
    std::string name_;
    int folderFd_ = -1;
    int fd_ = -1;
    std::string temporaryName_;
    int cleanupSlot_ = -1;
};

// A run over many files flushes the folder of each replaced file once, at its
// end, instead of after every file: the replaced file's content reached the
// disk before its rename, so a crash in between still leaves the old file or
// the whole new one; only the rename itself may need the folder's flush to
// last. While an object of this class lives, replacements made by its thread
// are collected; its destructor flushes each folder once.
class ReplacedFolderFlush {
  public:
    ReplacedFolderFlush();
    ~ReplacedFolderFlush();
    ReplacedFolderFlush(const ReplacedFolderFlush&) = delete;
    ReplacedFolderFlush& operator=(const ReplacedFolderFlush&) = delete;

    // Flushes the folder now, or at the end of the thread's current run.
    static void afterReplacing(const std::string& folder, int folderFd);

  private:
    std::set<std::string> folders_;
    ReplacedFolderFlush* outer_;
};

}  // namespace leafwright
