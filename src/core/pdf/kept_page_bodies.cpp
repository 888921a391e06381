#include "core/pdf/kept_page_bodies.h"

#include <algorithm>
#include <optional>

#include "core/platform/file_error.h"
#include "core/platform/scratch_file.h"

namespace leafwright {

namespace {

constexpr std::size_t kFilePiece = 256 << 10;
// How often the scratch file's file system's free space is looked at, as
// the spooled standard input does.
constexpr std::uint64_t kLookAtFreeSpaceEvery = 1 << 20;

}  // namespace

KeptPageBodies::KeptPageBodies(std::size_t memoryLimit, std::uint64_t fileLimit)
    : memoryLimit_(memoryLimit), fileLimit_(fileLimit) {
    if (const KeptPagesSeam* seam = KeptPagesSeam::active()) {
        memoryLimit_ = std::min(memoryLimit_, seam->memoryLimit);
        fileLimit_ = std::min(fileLimit_, seam->fileLimit);
    }
}

KeptPageBodies::~KeptPageBodies() = default;

void KeptPageBodies::stop() noexcept {
    keeping_ = false;
    pending_ = std::string();
}

void KeptPageBodies::add(std::string_view bytes) {
    if (!keeping_ || bytes.empty()) return;
    if (total_ + bytes.size() > fileLimit_ || ends_.size() >= kPageLimit) {
        stop();
        return;
    }
    const std::uint64_t inMemory =
        std::min<std::uint64_t>(bytes.size(), memoryLimit_ - memory_.size());
    // Taken whole at once, the system gives the memory page by page as it is
    // first written; grown by doubling, it was copied at each step and every
    // page faulted in about twice.
    if (memory_.capacity() < memoryLimit_) memory_.reserve(memoryLimit_);
    memory_.append(bytes.substr(0, inMemory));
    total_ += inMemory;
    bytes.remove_prefix(inMemory);
    if (bytes.empty()) return;
    try {
        toFile(bytes);
    } catch (const FileError&) {
        stop();  // the pages from this one on are drawn again
    }
}

void KeptPageBodies::toFile(std::string_view bytes) {
    if (!file_) {
        file_ = std::make_unique<ScratchFile>();
        // The document itself must still find room once this is written:
        // the file takes at most half of what is free above the reserve
        // (what is read back is given back at once, see handNext).
        const std::optional<std::uint64_t> room = file_->roomAboveReserve();
        if (room) fileLimit_ = std::min(fileLimit_, memory_.size() + *room / 2);
        if (total_ + bytes.size() > fileLimit_) throw FileError(file_->folder(), "too little room");
    }
    pending_.append(bytes);
    total_ += bytes.size();
    if (pending_.size() >= kFilePiece) flushPending();
}

void KeptPageBodies::flushPending() {
    if (pending_.empty()) return;
    if (file_->size() + pending_.size() >= nextLook_) {
        nextLook_ = file_->size() + pending_.size() + kLookAtFreeSpaceEvery;
        if (file_->reserveShort()) throw FileError(file_->folder(), "too little free space");
    }
    file_->append(pending_);
    pending_.clear();
}

void KeptPageBodies::endPage() {
    if (keeping_) {
        try {
            if (file_) flushPending();
        } catch (const FileError&) {
            stop();
        }
    }
    kept_.push_back(keeping_);
    if (keeping_) ends_.push_back(total_);
}

void KeptPageBodies::dropPage() {
    kept_.push_back(false);
    if (!keeping_) return;
    const std::uint64_t end = ends_.empty() ? 0 : ends_.back();
    total_ = end;
    try {
        if (end <= memory_.size()) {
            memory_.resize(static_cast<std::size_t>(end));
            pending_.clear();
            if (file_ && file_->size() > 0) file_->truncate(0);
            return;
        }
        const std::uint64_t inFile = end - memory_.size();
        if (file_->size() > inFile) {
            pending_.clear();
            file_->truncate(inFile);
        } else {
            pending_.resize(static_cast<std::size_t>(inFile - file_->size()));
        }
    } catch (const FileError&) {
        stop();  // what is kept stays readable: it ends before the cut
    }
}

void KeptPageBodies::forgetAll() {
    stop();
    memory_ = std::string();
    file_.reset();
    ends_.clear();
    kept_.assign(kept_.size(), false);
    total_ = 0;
}

std::uint64_t KeptPageBodies::nextSize() const {
    const std::uint64_t start = handed_ == 0 ? 0 : ends_[handed_ - 1];
    return ends_.at(handed_) - start;
}

void KeptPageBodies::handNext(const TakeContent& take) {
    const std::uint64_t end = ends_.at(handed_++);
    if (handedTo_ < memory_.size()) {
        const std::uint64_t inMemory = std::min<std::uint64_t>(end, memory_.size());
        take(std::string_view(memory_).substr(handedTo_, inMemory - handedTo_));
        handedTo_ = inMemory;
    }
    while (handedTo_ < end) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(end - handedTo_, kFilePiece));
        piece_.resize(size);
        file_->readAt(handedTo_ - memory_.size(), piece_.data(), size);
        // Read back once: its room goes back to the file system, for the
        // document being written beside it.
        file_->release(handedTo_ - memory_.size(), size);
        take(piece_);
        handedTo_ += size;
    }
}

}  // namespace leafwright
