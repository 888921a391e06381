#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/platform/text_file_reader.h"
#include "core/run/helper_thread.h"

namespace leafwright {

// The offset right after the first line feed at or after `from` and before
// `before`, read through reader; 0 when there is none.
std::uint64_t lineStartAfter(TextFileReader& reader, std::uint64_t from, std::uint64_t before);

// Scans the bytes of a file as one scan of all of them would (a Scan has
// add, startAfterALine and merge, as RawTextScan), on two threads: the part
// up to the first line start past the middle on this one, the rest on
// another through a second reader of the file. Returns false, having read
// nothing through reader, when reader.scanThreads() is one, no line starts
// in the few MB past the middle (a text of very long lines is scanned on
// one thread), or no second reader or thread can be had.
inline constexpr std::uint64_t kLineStartSearch = 4 << 20;

// rest: the scan of the far half, made as scan was and handed nothing yet.
template <typename Scan>
bool scanInHalves(TextFileReader& reader, Scan& scan, Scan& rest) {
    if (reader.scanThreads() < 2) return false;
    std::unique_ptr<TextFileReader> other = reader.openAgain();
    if (!other) return false;
    const std::uint64_t middle = reader.size() / 2;
    const std::uint64_t cut = lineStartAfter(*other, middle, middle + kLineStartSearch);
    if (cut == 0) return false;
    other->seek(cut);
    rest.startAfterALine();
    HelperThread far([&] {
        std::string_view block;
        while (other->readBlock(block)) rest.add(block);
    });
    if (!far.started()) return false;
    reader.rewind();
    std::uint64_t scanned = 0;
    std::string_view block;
    while (scanned < cut && reader.readBlock(block)) {
        block = block.substr(0, cut - scanned);
        scan.add(block);
        scanned += block.size();
    }
    far.join();
    // A text that ends before the cut (at a 0x1A) has no rest.
    if (scanned == cut) scan.merge(rest);
    return true;
}

}  // namespace leafwright
