#include "core/pdf/row_replay.h"

#include "core/pdf/kept_page_bodies.h"
#include "core/platform/file_error.h"
#include "core/text/source_text.h"

namespace leafwright {

namespace {

// The marks, each an unsigned number of seven bits a byte (least
// significant first, the high bit set on all but the last): a row is its
// length times four, plus two when it continues its line; a form feed is 1
// and a line's end 3.
constexpr std::uint64_t kFormFeed = 1;
constexpr std::uint64_t kLineEnd = 3;

void appendMark(std::string& out, std::uint64_t mark) {
    while (mark >= 0x80) {
        out.push_back(static_cast<char>(mark | 0x80));
        mark >>= 7;
    }
    out.push_back(static_cast<char>(mark));
}

}  // namespace

void RowRecorder::row(std::string_view characters, bool continuation) {
    appendMark(marks_, characters.size() * 4 + (continuation ? 2 : 0));
    sink_.row(characters, continuation);
}

void RowRecorder::formFeed() {
    appendMark(marks_, kFormFeed);
    sink_.formFeed();
}

void RowRecorder::endLine() {
    appendMark(marks_, kLineEnd);
}

void RowRecorder::endPage() {
    cuts_.add(marks_);
    cuts_.endPage();
    marks_.clear();
}

RowReplay::RowReplay(std::unique_ptr<KeptPageBodies> cuts, std::string path)
    : cuts_(std::move(cuts)), path_(std::move(path)), pagesLeft_(cuts_->keptPages()) {}

RowReplay::~RowReplay() = default;

void RowReplay::changed() const {
    throw FileError(path_, kChangedWhileRead);
}

std::uint64_t RowReplay::peek() {
    for (;;) {
        std::uint64_t mark = 0;
        int shift = 0;
        for (std::size_t k = at_; k < marks_.size() && shift < 64; ++k, shift += 7) {
            const auto byte = static_cast<unsigned char>(marks_[k]);
            mark |= std::uint64_t{byte & 0x7Fu} << shift;
            if (byte < 0x80) {
                next_ = k + 1;
                return mark;
            }
        }
        // The mark runs on into the next kept page, or none is left.
        if (pagesLeft_ == 0) changed();
        --pagesLeft_;
        marks_.erase(0, at_);
        at_ = 0;
        cuts_->appendNextTo(marks_);
    }
}

void RowReplay::beginLine(RowSink& sink) {
    sink_ = &sink;
    held_.clear();
    from_ = 0;
}

void RowReplay::add(std::string_view bytes) {
    held_ += bytes;
    handOn(false);
}

void RowReplay::endLine() {
    handOn(true);
    if (from_ != held_.size()) changed();
}

void RowReplay::handOn(bool lineEnds) {
    for (;;) {
        const std::uint64_t mark = peek();
        if (mark == kLineEnd) {
            if (!lineEnds) break;
            take();
            return;
        }
        if (mark == kFormFeed) {
            if (from_ == held_.size()) break;  // its byte is yet to come
            if (held_[from_] != '\f') changed();
            take();
            ++from_;
            sink_->formFeed();
            continue;
        }
        const std::uint64_t length = mark / 4;
        if (length > held_.size() - from_) break;
        take();
        sink_->row(std::string_view(held_).substr(from_, length), (mark & 2) != 0);
        from_ += length;
    }
    // What was handed on goes, once it is most of what is held.
    if (from_ > held_.size() / 2) {
        held_.erase(0, from_);
        from_ = 0;
    }
    if (lineEnds) changed();  // the bytes ended before the rows
}

}  // namespace leafwright
