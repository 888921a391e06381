#include "core/pdf/flate_content.h"

#include <algorithm>

namespace leafwright {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

std::string objectHead(std::uint64_t number) {
    return std::to_string(number) + " 0 obj\n";
}

}  // namespace

bool packWhole(Deflater& deflater, std::string_view data, std::string& packed) {
    return deflater.compressSmaller(data, packed);
}

FlateContent::FlateContent(std::uint64_t firstAdded, std::size_t partBytes)
    : firstAdded_(firstAdded),
      partBytes_(std::max<std::size_t>(partBytes, 2)),
      nextAdded_(firstAdded) {}

std::uint64_t FlateContent::addObject(const TextFileWriter& out) {
    addedOffsets_.push_back(out.position());
    return nextAdded_++;
}

std::optional<std::uint64_t> FlateContent::offsetOf(std::uint64_t object) const {
    if (object >= firstAdded_ && object < nextAdded_) return addedOffsets_[object - firstAdded_];
    const auto found =
        std::lower_bound(moved_.begin(), moved_.end(), std::make_pair(object, std::uint64_t{0}));
    if (found != moved_.end() && found->first == object) return found->second;
    return std::nullopt;
}

void FlateContent::writeContentObject(TextFileWriter& out, std::uint64_t number,
                                      const HandContent& hand) {
    pending_.clear();
    parts_.clear();
    skip_ = kStreamKeywordLineEnd;
    inLongLine_ = false;
    hand([&](std::string_view bytes) { take(out, bytes); });
    if (inLongLine_) {
        // The content ends inside its long line (it always ends with a line
        // end, so only a content without one gets here).
        out.writeRaw(pending_);
        longLineBytes_ += pending_.size();
        pending_.clear();
        closeLongLine(out);
    }
    if (parts_.empty()) {
        writeStream(out, number, pending_);
        return;
    }
    if (!pending_.empty()) writePart(out, pending_);
    moved_.emplace_back(number, out.position());
    std::string array = objectHead(number) + "[";
    for (std::uint64_t part : parts_) array += std::to_string(part) + " 0 R ";
    array += "]\nendobj\n";
    out.write(array);
}

void FlateContent::take(TextFileWriter& out, std::string_view bytes) {
    if (skip_ > 0) {
        const std::size_t skipped = std::min(skip_, bytes.size());
        bytes.remove_prefix(skipped);
        skip_ -= skipped;
    }
    pending_.append(bytes);
    cutParts(out);
}

void FlateContent::cutParts(TextFileWriter& out) {
    for (;;) {
        if (inLongLine_) {
            const std::size_t end = pending_.find(kLineBreak, searchFrom_);
            if (end == std::string::npos) {
                // A CR at the end may begin the line break: it waits.
                const std::size_t keep = !pending_.empty() && pending_.back() == '\r' ? 1 : 0;
                const std::size_t now = pending_.size() - keep;
                out.writeRaw(std::string_view(pending_).substr(0, now));
                longLineBytes_ += now;
                pending_.erase(0, now);
                searchFrom_ = 0;
                return;
            }
            out.writeRaw(std::string_view(pending_).substr(0, end));
            longLineBytes_ += end;
            pending_.erase(0, end);
            closeLongLine(out);
            continue;
        }
        if (pending_.size() <= partBytes_) return;
        // The last line end that leaves a part of at most partBytes before it.
        const std::size_t cut = pending_.rfind(kLineBreak, partBytes_);
        if (cut == std::string::npos || cut == 0) {
            openLongLine(out);
            continue;
        }
        writePart(out, std::string_view(pending_).substr(0, cut));
        pending_.erase(0, cut);
    }
}

void FlateContent::writePart(TextFileWriter& out, std::string_view data) {
    const std::uint64_t number = addObject(out);
    parts_.push_back(number);
    writeStream(out, number, data);
}

// The data after the line end that closes the "stream" line. When it ends
// with a line end, that line end is counted in /Length, as in an
// uncompressed document; else a line end not counted goes before
// "endstream".
void FlateContent::writeStream(TextFileWriter& out, std::uint64_t number, std::string_view data) {
    const bool compressed = packWhole(deflater_, data, packed_);
    writeDecided(out, number, compressed ? std::string_view(packed_) : data, compressed);
}

void FlateContent::writePacked(TextFileWriter& out, std::uint64_t number, std::string_view bytes,
                               bool compressed) {
    writeDecided(out, number, bytes, compressed);
}

void FlateContent::writeDecided(TextFileWriter& out, std::uint64_t number, std::string_view data,
                                bool compressed) {
    std::string head = objectHead(number);
    if (compressed) {
        head += "<< /Length " + std::to_string(data.size()) + " /Filter /FlateDecode >>\nstream";
        out.write(head);
        out.writeRaw(kLineBreak);
        out.writeRaw(data);
        out.writeRaw(kLineBreak);
    } else {
        head += "<< /Length " + std::to_string(data.size()) + " >>\nstream";
        out.write(head);
        out.writeRaw(kLineBreak);
        out.writeRaw(data);
        if (data.empty() || data.back() != '\n') out.writeRaw(kLineBreak);
    }
    out.write("endstream\nendobj\n");
}

// The line goes out as it comes; pending_ starts with the line end before
// it, which belongs to it.
void FlateContent::openLongLine(TextFileWriter& out) {
    longLineNumber_ = addObject(out);
    parts_.push_back(longLineNumber_);
    addObject(out);  // its length, written after it: numbered now, placed then
    out.write(objectHead(longLineNumber_) + "<< /Length " + std::to_string(longLineNumber_ + 1) +
              " 0 R >>\nstream");
    out.writeRaw(kLineBreak);
    longLineBytes_ = 0;
    inLongLine_ = true;
    searchFrom_ = 1;
}

void FlateContent::closeLongLine(TextFileWriter& out) {
    out.writeRaw(kLineBreak);
    out.write("endstream\nendobj\n");
    const std::uint64_t lengthNumber = longLineNumber_ + 1;
    addedOffsets_[lengthNumber - firstAdded_] = out.position();
    out.write(objectHead(lengthNumber) + std::to_string(longLineBytes_) + "\nendobj\n");
    inLongLine_ = false;
}

}  // namespace leafwright
