#include "core/run/content_pipe.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace leafwright {

ContentPipe::ContentPipe(std::size_t batchBytes, std::size_t batchesWaiting)
    : batchBytes_(std::max<std::size_t>(batchBytes, 1)),
      batchesWaiting_(std::max<std::size_t>(batchesWaiting, 1)) {}

void ContentPipe::putNumber(std::uint64_t number) {
    filling_.numbers.push_back(number);
}

// A batch never grows past batchBytes: longer bytes are cut across batches.
void ContentPipe::putBytes(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = batchBytes_ - filling_.bytes.size();
        const std::size_t take = std::min(room, bytes.size());
        filling_.bytes.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (filling_.bytes.size() == batchBytes_) handOver();
    }
}

void ContentPipe::flush() {
    if (!filling_.bytes.empty() || !filling_.numbers.empty()) handOver();
}

void ContentPipe::handOver() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return abandoned_ || waiting_.size() < batchesWaiting_; });
    if (abandoned_) throw Abandoned();
    waiting_.push_back(std::move(filling_));
    if (spare_.empty()) {
        filling_ = Batch();
        filling_.bytes.reserve(batchBytes_);
    } else {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    changed_.notify_all();
}

void ContentPipe::close(std::exception_ptr failure) noexcept {
    std::lock_guard lock(mutex_);
    if (!filling_.bytes.empty() || !filling_.numbers.empty())
        waiting_.push_back(std::move(filling_));
    failure_ = std::move(failure);
    closed_ = true;
    changed_.notify_all();
}

// The writing side's batch is used up: the next one, once there is one.
void ContentPipe::takeNextBatch() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !waiting_.empty() || closed_; });
    if (waiting_.empty()) {
        if (failure_) std::rethrow_exception(failure_);
        throw std::logic_error("page contents ended before they were all written");
    }
    current_.bytes.clear();
    current_.numbers.clear();
    // Every batch is used again: no more are ever made than can wait at
    // once, and fresh memory costs a page fault a page.
    spare_.push_back(std::move(current_));
    current_ = std::move(waiting_.front());
    waiting_.pop_front();
    bytesTaken_ = numbersTaken_ = 0;
    changed_.notify_all();
}

std::uint64_t ContentPipe::takeNumber() {
    // A number is put before the bytes that follow it (a length before the
    // content it measures), so a batch whose numbers are taken holds no bytes
    // still wanted, unless the making side handed over other bytes than it
    // measured; its failure follows them then.
    while (numbersTaken_ == current_.numbers.size()) {
        if (bytesTaken_ != current_.bytes.size()) {
            awaitClose();
            throw std::logic_error("page contents do not match their lengths");
        }
        takeNextBatch();
    }
    return current_.numbers[numbersTaken_++];
}

bool ContentPipe::numberReady() {
    if (numbersTaken_ < current_.numbers.size()) return true;
    std::lock_guard lock(mutex_);
    return !waiting_.empty() || closed_;
}

void ContentPipe::takeBytes(std::uint64_t count,
                            const std::function<void(std::string_view)>& write) {
    while (count > 0) {
        if (bytesTaken_ == current_.bytes.size()) takeNextBatch();
        const std::size_t available = current_.bytes.size() - bytesTaken_;
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(available, count));
        write(std::string_view(current_.bytes).substr(bytesTaken_, take));
        bytesTaken_ += take;
        count -= take;
    }
}

void ContentPipe::awaitClose() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !waiting_.empty() || closed_; });
        waiting_.clear();
        changed_.notify_all();
        if (closed_) break;
    }
    if (failure_) std::rethrow_exception(failure_);
}

void ContentPipe::abandon() noexcept {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    changed_.notify_all();
}

}  // namespace leafwright
