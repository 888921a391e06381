#pragma once

#include <string>
#include <vector>

namespace leafwright {

// The folder under which the program's temporary files go: $TMPDIR, else
// /tmp.
std::string temporaryRoot();

// A folder of this process's own for files that need a name only the program
// uses: a document kept until it is complete before it goes to standard
// output, and standard input spooled where a file system has no unnamed
// files. It is made under temporaryRoot() with mode 0700, so no other user can
// open what it holds, and its files are created with mode 0600. The folder
// and each entry are listed for removal before they exist, so a signal that
// ends the program leaves none of them; destroying the object removes them
// all.
class PrivateTemporaryFolder {
  public:
    // Throws FileError naming the temporary folder when it cannot be made.
    PrivateTemporaryFolder();
    ~PrivateTemporaryFolder();
    PrivateTemporaryFolder(const PrivateTemporaryFolder&) = delete;
    PrivateTemporaryFolder& operator=(const PrivateTemporaryFolder&) = delete;

    // The path of the entry `name` (a plain name) in the folder, listed for
    // removal; the entry itself is created by whoever writes it.
    std::string entry(const std::string& name);

    // Creates the entry `name` with mode 0600 and returns it open for reading
    // and writing (the caller closes the descriptor). Throws FileError naming
    // the entry.
    int create(const std::string& name);

    // Removes the entry `name` now; a descriptor open on it keeps the file
    // until it is closed.
    void remove(const std::string& name);

  private:
    int rootFd_ = -1;
    std::string name_;
    int folderSlot_ = -1;
    int folderFd_ = -1;
    std::string path_;
    std::vector<std::string> entries_;
    std::vector<int> entrySlots_;
};

// Copies everything that can be read from the file at `path` to `fd` (for
// example standard output). Throws FileError naming `shownTarget` for a write
// that fails, and `path` for a read.
void copyFileTo(const std::string& path, int fd, const std::string& shownTarget);

}  // namespace leafwright
