#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/page_content.h"
#include "core/platform/active_seam.h"

namespace leafwright {

class ScratchFile;

// For tests: while one lives, the KeptPageBodies made keep at most these
// bytes (0 and 0: none, every page drawn again).
struct KeptPagesSeam : ActiveSeam<KeptPagesSeam> {
    KeptPagesSeam(std::size_t memory, std::uint64_t file) : memoryLimit(memory), fileLimit(file) {}
    std::size_t memoryLimit;
    std::uint64_t fileLimit;
};

// The lines of pages as the planning reading drew them, kept in order so
// that the writing reading takes them instead of drawing (and shaping) their
// lines once more. Each page is kept or dropped as it ends (pages cheap to
// draw again are better drawn again than stored). The first memoryLimit
// bytes stay in memory, the rest go to a ScratchFile. Keeping stops for
// good, the page being kept dropped, once the bytes would pass fileLimit or
// half the room its file system has above its reserve when the file is
// made, past kPageLimit pages, or when the scratch file cannot be made or
// written or would leave its file system less than its reserve: the pages
// from there on are drawn again, as without keeping. What is read back is
// given back to the file system at once, so the document written beside it
// finds the room.
class KeptPageBodies {
  public:
    static constexpr std::size_t kMemoryLimit = 4 << 20;
    static constexpr std::uint64_t kFileLimit = std::uint64_t{1} << 30;
    // The pages kept at most (8 bytes of bookkeeping each).
    static constexpr std::size_t kPageLimit = 1 << 20;

    explicit KeptPageBodies(std::size_t memoryLimit = kMemoryLimit,
                            std::uint64_t fileLimit = kFileLimit);
    ~KeptPageBodies();
    KeptPageBodies(const KeptPageBodies&) = delete;
    KeptPageBodies& operator=(const KeptPageBodies&) = delete;

    // Whether pages are still kept.
    bool keeping() const noexcept { return keeping_; }
    // Adds bytes to the page being read.
    void add(std::string_view bytes);
    // The page being read ends: kept, unless keeping stopped on the way.
    void endPage();
    // The page being read ends, not kept: its bytes are forgotten.
    void dropPage();
    // Stops keeping and forgets every page.
    void forgetAll();

    // Pages ended so far, kept or not, and whether page `page` (from 0) was
    // kept.
    std::size_t pages() const noexcept { return kept_.size(); }
    std::size_t keptPages() const noexcept { return ends_.size(); }
    bool isKept(std::size_t page) const noexcept { return page < kept_.size() && kept_[page]; }
    // Whether page `page` is drawn again and starts a run of such pages
    // (the first page, or one after a kept page): writing goes back to
    // where its lines start.
    bool startsDrawnRun(std::size_t page) const noexcept {
        return page < kept_.size() && !kept_[page] && (page == 0 || kept_[page - 1]);
    }
    // The bytes of the next kept page to hand out (in order, from the first).
    std::uint64_t nextSize() const;
    // Hands the next kept page's bytes to take, in pieces of at most a few
    // hundred kilobytes. Throws FileError naming the scratch file's folder
    // when they cannot be read back.
    void handNext(const TakeContent& take);
    // The same, appended to out.
    void appendNextTo(std::string& out) {
        handNext([&out](std::string_view bytes) { out += bytes; });
    }

  private:
    void stop() noexcept;
    void toFile(std::string_view bytes);
    void flushPending();

    std::size_t memoryLimit_;
    std::uint64_t fileLimit_;
    bool keeping_ = true;
    std::string memory_;  // the first bytes
    std::unique_ptr<ScratchFile> file_;
    std::string pending_;      // bytes for the file, written as a page ends or a piece fills
    std::uint64_t total_ = 0;  // bytes added, the page being read's included
    std::uint64_t nextLook_ = 0;
    std::vector<std::uint64_t> ends_;  // where each page kept ends
    std::vector<bool> kept_;           // of each page ended
    std::size_t handed_ = 0;
    std::uint64_t handedTo_ = 0;
    std::string piece_;  // read back from the file
};

}  // namespace leafwright
