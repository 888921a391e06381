#include "pdf/source_text.h"

#include <algorithm>

#include "pdf/line_size_scan.h"
#include "pdf/raw_text_scan.h"
#include "platform/file_error.h"

namespace leafwright {

namespace {
constexpr const char* kChangedWhileRead = "changed while it was being converted";
}

SourceText::SourceText(TextFileReader& reader, Measures measures)
    : reader_(reader), held_(!reader.canRewind()) {
    firstPass(measures);
}

void SourceText::firstPass(Measures measures) {
    if (measures == Measures::LineCount && !held_) {
        // Nothing is needed per line, so the bytes are scanned as they come.
        RawTextScan scan;
        std::string_view block;
        while (reader_.readBlock(block)) scan.add(block);
        summary_.lineCount = scan.lineCount();
        startsWithByteOrderMark_ = scan.startsWithByteOrderMark();
        summary_.encoding = scan.isUtf8() ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
        return;
    }
    if (!held_) {
        // The lines are measured from the raw bytes, without splitting them.
        LineSizeScan scan;
        std::string_view block;
        while (reader_.readBlock(block)) scan.add(block);
        scan.finish();
        summary_.lineCount = scan.lineCount();
        startsWithByteOrderMark_ = scan.startsWithByteOrderMark();
        summary_.encoding = scan.isUtf8() ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
        summary_.widestLine = scan.widestLine(summary_.encoding);
        summary_.bodyBytes = scan.bodyBytes(summary_.encoding);
        return;
    }
    bool utf8 = true;
    // Sizes under both readings, since the encoding is known only at the end.
    std::uint64_t widestUtf8 = 0, widest1252 = 0, bytesUtf8 = 0, bytes1252 = 0;
    std::string_view line;
    while (reader_.readLine(line)) {
        if (held_) {
            heldText_.append(line);
            heldText_.push_back('\n');
        }
        bool firstLine = summary_.lineCount == 0;
        ++summary_.lineCount;
        if (firstLine) startsWithByteOrderMark_ = line.starts_with(kUtf8ByteOrderMark);

        if (measures == Measures::LineCount) {
            if (utf8 && !isAscii(line) && countUtf8Characters(line) == kNotUtf8) utf8 = false;
            continue;
        }
        std::uint64_t escapes = countEscapedBytes(line);
        std::uint64_t size1252 = line.size() + escapes;
        widest1252 = std::max(widest1252, size1252);
        bytes1252 += size1252;
        if (utf8) {
            std::size_t characters = countUtf8Characters(line);
            if (characters == kNotUtf8) {
                utf8 = false;
            } else {
                // The byte-order mark is dropped, not shown.
                std::uint64_t sizeUtf8 =
                    characters + escapes - (firstLine && startsWithByteOrderMark_);
                widestUtf8 = std::max(widestUtf8, sizeUtf8);
                bytesUtf8 += sizeUtf8;
            }
        }
    }
    summary_.encoding = utf8 ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
    summary_.widestLine = utf8 ? widestUtf8 : widest1252;
    summary_.bodyBytes = utf8 ? bytesUtf8 : bytes1252;
}

bool SourceText::nextRawLine(std::string_view& line) {
    if (!held_) return reader_.readLine(line);
    if (heldNext_ >= heldText_.size()) return false;
    std::size_t end = heldText_.find('\n', heldNext_);
    line = std::string_view(heldText_).substr(heldNext_, end - heldNext_);
    heldNext_ = end + 1;
    return true;
}

bool SourceText::appendNextLine(std::string& out) {
    if (!secondPassStarted_) {
        secondPassStarted_ = true;
        if (!held_) reader_.rewind();
    }
    std::string_view line;
    if (!nextRawLine(line)) {
        if (linesHandedOut_ != summary_.lineCount) throw FileError(path(), kChangedWhileRead);
        return false;
    }
    if (++linesHandedOut_ > summary_.lineCount) throw FileError(path(), kChangedWhileRead);
    if (linesHandedOut_ == 1 && startsWithByteOrderMark_ &&
        summary_.encoding == SourceEncoding::Utf8)
        line.remove_prefix(kUtf8ByteOrderMark.size());
    appendEncodedEscaped(out, line, summary_.encoding);
    return true;
}

void SourceText::expectEnd() {
    std::string rest;
    while (appendNextLine(rest)) rest.clear();
}

}  // namespace leafwright
