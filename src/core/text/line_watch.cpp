#include "core/text/line_watch.h"

#include <algorithm>

#include "core/text/text_encoding.h"

namespace leafwright {

void LineWatchFeed::add(std::string_view block) {
    if (!headDone_) {
        const std::size_t want = kUtf8ByteOrderMark.size() - head_.size();
        head_.append(block.substr(0, want));
        block.remove_prefix(std::min(want, block.size()));
        if (head_.size() < kUtf8ByteOrderMark.size() && kUtf8ByteOrderMark.starts_with(head_))
            return;
        headDone_ = true;
        std::string head;
        head.swap(head_);
        if (head != kUtf8ByteOrderMark) add(head);
    }
    while (!block.empty()) {
        const std::size_t lineFeed = block.find('\n');
        if (lineFeed == std::string_view::npos) {
            addToLine(block);
            return;
        }
        std::string_view line = block.substr(0, lineFeed);
        if (line.empty()) {
            heldCr_ = false;  // it stood right before the line feed
        } else {
            if (heldCr_) emit("\r");
            heldCr_ = false;
            if (line.back() == '\r') line.remove_suffix(1);
            emit(line);
        }
        if (!inLine_) watch_.beginLine();
        watch_.endLine();
        inLine_ = false;
        block.remove_prefix(lineFeed + 1);
    }
}

void LineWatchFeed::emit(std::string_view bytes) {
    if (bytes.empty()) return;
    if (!inLine_) {
        watch_.beginLine();
        inLine_ = true;
    }
    watch_.add(bytes);
}

void LineWatchFeed::addToLine(std::string_view bytes) {
    if (bytes.empty()) return;
    if (heldCr_) emit("\r");
    heldCr_ = bytes.back() == '\r';
    if (heldCr_) bytes.remove_suffix(1);
    emit(bytes);
}

void LineWatchFeed::finish() {
    if (!headDone_ && !head_.empty()) {
        headDone_ = true;
        std::string head;
        head.swap(head_);
        if (head != kUtf8ByteOrderMark) add(head);
    }
    if (heldCr_) emit("\r");
    heldCr_ = false;
    if (inLine_) watch_.endLine();
    inLine_ = false;
}

}  // namespace leafwright
