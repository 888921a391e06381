#include "core/platform/replacement_batch.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

#include "core/platform/file_error.h"

namespace leafwright {

namespace {

thread_local ReplacementBatch* currentBatch = nullptr;

// The descriptor limit allows a quarter of its descriptors, two for each held
// replacement (its file and its folder), and at least one replacement.
std::size_t boundedByOpenFiles(std::size_t capacity) {
    struct rlimit limit {};
    if (capacity == 0 || ::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return capacity;
    const auto room = static_cast<std::size_t>(std::max<rlim_t>(limit.rlim_cur / 8, 1));
    return std::min(capacity, room);
}

}  // namespace

ReplacementBatch::ReplacementBatch(std::size_t capacity)
    : capacity_(boundedByOpenFiles(capacity)), outer_(currentBatch) {
    held_.reserve(capacity_);
    currentBatch = this;
}

ReplacementBatch::~ReplacementBatch() {
    currentBatch = outer_;
}

ReplacementBatch* ReplacementBatch::current() {
    return currentBatch != nullptr && !currentBatch->full() ? currentBatch : nullptr;
}

void ReplacementBatch::hold(PendingOutput&& output) {
    held_.push_back(std::move(output));
}

void ReplacementBatch::finish(
    const std::function<void(std::size_t index, const FileError* error)>& report) {
    std::vector<PendingOutput> outputs = std::move(held_);
    held_.clear();
    held_.reserve(capacity_);

    // One syncfs per file system writes every held file's content and
    // metadata in one journal commit.
    std::set<dev_t> flushed;
    std::vector<int> failures(outputs.size(), 0);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        struct stat info {};
        if (::fstat(outputs[i].fd(), &info) != 0) {
            failures[i] = errno;
            continue;
        }
        if (flushed.count(info.st_dev) != 0) continue;
        if (::syncfs(outputs[i].fd()) != 0) {
            failures[i] = errno;
            continue;
        }
        flushed.insert(info.st_dev);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        // A file whose flush failed is checked on its own.
        if (failures[i] == 0) {
            struct stat info {};
            if (::fstat(outputs[i].fd(), &info) == 0 && flushed.count(info.st_dev) == 0 &&
                ::fsync(outputs[i].fd()) != 0)
                failures[i] = errno;
        }
        try {
            if (failures[i] != 0) throw FileError::fromErrno(outputs[i].targetPath(), failures[i]);
            outputs[i].finishReplacement();
        } catch (const FileError& error) {
            outputs[i].discard();
            report(i, &error);
            continue;
        }
        report(i, nullptr);
    }
}

}  // namespace leafwright
