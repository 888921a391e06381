#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "core/platform/pending_output.h"

namespace leafwright {

class FileError;

// Replacements held back so that one flush per file system makes a whole
// batch of them durable, instead of a flush per file (which costs a journal
// commit each: seconds for a thousand small files). While a batch with room
// is current in a thread, a replacement committed by that thread is prepared
// (owner, mode) and handed to it instead of being flushed and renamed at once.
// A held unnamed file stays unnamed (its open descriptor) until the flush;
// each takes a hidden name only right before its rename.
class ReplacementBatch {
  public:
    // Holds up to `capacity` replacements, fewer when the process may open
    // few files: a held replacement keeps two descriptors open, and the
    // batch takes at most a quarter of the descriptors the process may have.
    explicit ReplacementBatch(std::size_t capacity);
    ~ReplacementBatch();
    ReplacementBatch(const ReplacementBatch&) = delete;
    ReplacementBatch& operator=(const ReplacementBatch&) = delete;

    // The batch of this thread that takes replacements now, or null.
    static ReplacementBatch* current();

    void hold(PendingOutput&& output);
    std::size_t size() const noexcept { return held_.size(); }
    bool full() const noexcept { return held_.size() >= capacity_; }

    // Flushes the file systems of the held outputs once each, then renames
    // each into place in the order held, reporting each one with its
    // position: error is null when it took its place. Leaves the batch empty.
    void finish(const std::function<void(std::size_t index, const FileError* error)>& report);

  private:
    std::size_t capacity_;
    std::vector<PendingOutput> held_;
    ReplacementBatch* outer_;
};

}  // namespace leafwright
