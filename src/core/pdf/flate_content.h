#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/deflate/deflater.h"
#include "core/pdf/page_content.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

// Hands a page's content bytes, as PageContent holds them, to take.
using HandContent = std::function<void(const TakeContent& take)>;

// Writes the content objects of a document whose streams are compressed
// with /FlateDecode. A stream is compressed whole, so that its /Length
// stands before its data; a stream under Deflater::kSmallest bytes, or one
// that would not shrink, is written as it is.
//
// A page whose content exceeds partBytes would have to be held whole to be
// compressed; it is written instead as a /Contents array of streams of at
// most partBytes each, cut where a content line ends (between tokens, so the
// parts read in order give the page's content exactly). A single content
// line longer than partBytes goes as it is into a stream of its own, with
// its length in an object after it. So memory stays about partBytes
// whatever the page.
class FlateContent {
  public:
    static constexpr std::size_t kPartBytes = 4 << 20;

    // The objects it adds (the parts of long pages, deferred lengths) take
    // numbers from firstAdded on.
    explicit FlateContent(std::uint64_t firstAdded, std::size_t partBytes = kPartBytes);

    // Writes the content object `number` of a page at the writer's position,
    // or, for a page in parts, the parts first and the array after them.
    void writeContentObject(TextFileWriter& out, std::uint64_t number, const HandContent& hand);

    // Writes the content object `number` of a page of at most partBytes
    // whose data (after the keyword's line end) another thread already
    // passed through packWhole: the bytes it gave, compressed or not.
    void writePacked(TextFileWriter& out, std::uint64_t number, std::string_view bytes,
                     bool compressed);

    // How many objects it added, numbered from firstAdded on.
    std::uint64_t addedCount() const noexcept { return nextAdded_ - firstAdded_; }
    // Where an object it wrote elsewhere than the writer expects stands: an
    // added object, or a content object that follows its parts.
    std::optional<std::uint64_t> offsetOf(std::uint64_t object) const;

  private:
    void take(TextFileWriter& out, std::string_view bytes);
    void cutParts(TextFileWriter& out);
    void writePart(TextFileWriter& out, std::string_view data);
    void writeStream(TextFileWriter& out, std::uint64_t number, std::string_view data);
    void writeDecided(TextFileWriter& out, std::uint64_t number, std::string_view bytes,
                      bool compressed);
    void openLongLine(TextFileWriter& out);
    void closeLongLine(TextFileWriter& out);
    std::uint64_t addObject(const TextFileWriter& out);

    std::uint64_t firstAdded_;
    std::size_t partBytes_;
    std::uint64_t nextAdded_;
    Deflater deflater_;
    std::string packed_;
    std::vector<std::uint64_t> addedOffsets_;
    // Content objects written after their parts, in increasing number.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> moved_;

    // The page being written: the bytes not yet written, how many of the
    // keyword's line end are still to be skipped, its parts so far.
    std::string pending_;
    std::size_t skip_ = 0;
    std::vector<std::uint64_t> parts_;
    // A long line being written as it comes: its stream's number, its
    // bytes so far, and where in pending_ its end is looked for.
    bool inLongLine_ = false;
    std::uint64_t longLineNumber_ = 0;
    std::uint64_t longLineBytes_ = 0;
    std::size_t searchFrom_ = 0;
};

// Decides as FlateContent does how the data of a page of at most
// FlateContent::kPartBytes is written: true with the compressed bytes in
// packed, or false when it stays as it is. The same data gives the same
// bytes on any thread.
bool packWhole(Deflater& deflater, std::string_view data, std::string& packed);

}  // namespace leafwright
