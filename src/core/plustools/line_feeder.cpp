#include "core/plustools/line_feeder.h"

#include "core/platform/text_file_writer.h"
#include "core/plustools/unspool_filter.h"

namespace leafwright {

namespace {

// Output is handed to the writer in pieces of about this size.
constexpr std::size_t kPieceSize = 64 * 1024;
// The filter is fed at most this much at a time, so that what one feed
// yields stays small even when a font's map gives long texts for short codes.
constexpr std::size_t kFeedSize = 4 * 1024;

}  // namespace

LineFeeder::LineFeeder(UnspoolFilter& filter, TextFileWriter& writer)
    : filter_(filter), writer_(&writer) {
    pending_.reserve(kPieceSize + 4096);
}

void LineFeeder::block(std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t lf = bytes.find('\n');
        std::string_view part = bytes.substr(0, lf);
        if (crHeld_) {
            // The CR that ended the last block is text unless an LF follows.
            crHeld_ = false;
            if (lf != 0) piece("\r");
        }
        if (lf == std::string_view::npos) {
            if (!part.empty() && part.back() == '\r') {
                part.remove_suffix(1);
                crHeld_ = true;
                lineOpen_ = true;
            }
            piece(part);
            return;
        }
        if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
        piece(part);
        filter_.endLine(pending_);
        lineOpen_ = false;
        flushIfFull();
        bytes.remove_prefix(lf + 1);
    }
}

void LineFeeder::releaseCr() {
    if (crHeld_) piece("\r");
    crHeld_ = false;
}

void LineFeeder::endStream() {
    releaseCr();
    if (lineOpen_) filter_.endLine(pending_);
    lineOpen_ = false;
    flushIfFull();
}

void LineFeeder::switchWriter(TextFileWriter& next) {
    // The last line of a file ends in it.
    filter_.closeLine(pending_);
    flush();
    writer_ = &next;
}

std::uint64_t LineFeeder::finish() {
    releaseCr();
    if (lineOpen_) filter_.endLine(pending_);
    lineOpen_ = false;
    filter_.endInput(pending_);
    flush();
    return written_;
}

void LineFeeder::piece(std::string_view part) {
    if (!part.empty()) lineOpen_ = true;
    while (!part.empty()) {
        std::string_view now = part.substr(0, kFeedSize);
        filter_.filterPiece(now, pending_);
        part.remove_prefix(now.size());
        flushIfFull();
    }
}

void LineFeeder::flushIfFull() {
    if (pending_.size() >= kPieceSize) flush();
}

void LineFeeder::flush() {
    // A line end that a mark may yet take back stays until the next flush.
    const std::size_t held = filter_.lineEndMayBeTakenBack() && pending_.size() >= 2 ? 2 : 0;
    const std::size_t handed = pending_.size() - held;
    written_ += handed;
    writer_->writeRaw(std::string_view(pending_).substr(0, handed));
    pending_.erase(0, handed);
}

}  // namespace leafwright
