#include "core/text/source_text.h"

#include <stdexcept>

#include "core/platform/file_error.h"
#include "core/text/line_size_scan.h"
#include "core/text/raw_text_scan.h"
#include "core/text/scan_in_halves.h"

namespace leafwright {

namespace {

template <typename Scan>
void scanBlocks(TextFileReader& reader, Scan& scan, Scan& rest) {
    if (scanInHalves(reader, scan, rest)) return;
    std::string_view block;
    while (reader.readBlock(block)) scan.add(block);
}

template <typename Scan>
void scanBlocks(TextFileReader& reader, Scan& scan) {
    Scan rest;
    scanBlocks(reader, scan, rest);
}

}  // namespace

SourceText::SourceText(TextFileReader& reader, Measures measures) : reader_(reader) {
    firstPass(measures, nullptr);
}

SourceText::SourceText(TextFileReader& reader, Measures measures, LineWatch* watch)
    : reader_(reader) {
    firstPass(measures, watch);
}

SourceText::SourceText(TextFileReader& reader, const RowFit& fit) : reader_(reader) {
    FitScan scan(fit), rest(fit);
    scanBlocks(reader_, scan, rest);
    scan.finish();
    takeSummary(scan.raw());
    mayCutRows_ = scan.mayCut(summary_.encoding);
}

void SourceText::showLinesTo(LineWatch& watch) {
    reader_.rewind();
    LineWatchFeed feed(watch);
    std::string_view block;
    while (reader_.readBlock(block)) feed.add(block);
    feed.finish();
}

void SourceText::takeSummary(const RawTextScan& scan) {
    summary_.lineCount = scan.lineCount();
    summary_.encoding = scan.isUtf8() ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
    summary_.hasTab = scan.hasTab();
    summary_.beyondMacRoman = scan.isBeyondMacRoman(summary_.encoding);
    lineStarts_ = scan.lineStarts();
    // In UTF-8 the byte-order mark only tells the encoding: it is not shown,
    // and without anything after it the source is empty.
    if (scan.startsWithByteOrderMark() && summary_.encoding == SourceEncoding::Utf8)
        textStart_ = kUtf8ByteOrderMark.size();
    if (scan.isOnlyByteOrderMark()) summary_.lineCount = 0;
}

SourceText::SourceText(TextFileReader& reader, const SourceText& measured)
    : reader_(reader),
      summary_(measured.summary_),
      textStart_(measured.textStart_),
      lineStarts_(measured.lineStarts_),
      tally_(measured.tally_.gauge()) {}

void SourceText::firstPass(Measures measures, LineWatch* watch) {
    if (measures == Measures::LineCount) {
        // Nothing is needed per line, so the bytes are scanned as they come.
        RawTextScan scan;
        if (watch) {
            LineWatchFeed feed(*watch);
            std::string_view block;
            while (reader_.readBlock(block)) {
                scan.add(block);
                feed.add(block);
            }
            feed.finish();
        } else {
            scanBlocks(reader_, scan);
        }
        takeSummary(scan);
        return;
    }
    // The lines are measured from the raw bytes, without splitting them.
    LineSizeScan scan;
    scanBlocks(reader_, scan);
    scan.finish();
    summary_.lineCount = scan.lineCount();
    summary_.encoding = scan.isUtf8() ? SourceEncoding::Utf8 : SourceEncoding::Windows1252;
    summary_.widestLine = scan.widestLine(summary_.encoding);
    summary_.bodyBytes = scan.bodyBytes(summary_.encoding);
    summary_.hasTab = scan.hasTab();
    summary_.beyondMacRoman = scan.isBeyondMacRoman(summary_.encoding);
    lineStarts_ = scan.lineStarts();
    // As takeSummary says of the byte-order mark.
    if (scan.startsWithByteOrderMark() && summary_.encoding == SourceEncoding::Utf8)
        textStart_ = kUtf8ByteOrderMark.size();
    if (scan.isOnlyByteOrderMark())
        summary_.lineCount = summary_.widestLine = summary_.bodyBytes = 0;
}

void SourceText::startSecondPass() {
    reader_.seek(textStart_);
    secondPassStarted_ = true;
}

bool SourceText::startLine() {
    if (!secondPassStarted_) startSecondPass();
    havePiece_ = reader_.readLinePiece(piece_, pieceEndsLine_);
    if (!havePiece_) {
        if (linesHandedOut_ != summary_.lineCount) throw FileError(path(), kChangedWhileRead);
        return false;
    }
    if (++linesHandedOut_ > summary_.lineCount) throw FileError(path(), kChangedWhileRead);
    measuring_ = tally_.wants(linesHandedOut_);
    if (measuring_) measure_ = {};
    return true;
}

// A CR right before the line feed is dropped, as the reader drops it.
std::uint64_t SourceText::appendAsciiLines(std::string& out, std::uint64_t count,
                                           std::size_t spillAt, std::string_view start,
                                           std::string_view end) {
    if (!secondPassStarted_) startSecondPass();
    if (havePiece_) return 0;
    const std::string_view bytes = reader_.buffered();
    std::size_t at = 0;
    std::uint64_t appended = 0;
    // Lines to measure, measured together before the bytes are let go.
    constexpr std::size_t kMeasuredAtOnce = 64;
    LineWidthGauge::Span measure[kMeasuredAtOnce];
    std::size_t toMeasure = 0;
    // Lines of at most `fitting` bytes fit; those before `wanted` were
    // measured when read before.
    const std::uint64_t wanted = tally_.firstWanted();
    const std::size_t fitting = tally_.active() ? tally_.gauge()->surelyFitting() : ~std::size_t{0};
    auto measureThrough = [&](std::uint64_t line) {
        tally_.measuredThrough(line, tally_.gauge()->countTooWide(bytes, measure, toMeasure));
        toMeasure = 0;
    };
    while (appended < count && out.size() < spillAt) {
        const std::size_t mark = out.size();
        out.append(start);
        const std::size_t lineFeed = appendEscapedAsciiLine(out, bytes.substr(at));
        if (lineFeed == kNotAnAsciiLine) {
            out.resize(mark);
            break;
        }
        const bool cr = lineFeed > 0 && bytes[at + lineFeed - 1] == '\r';
        if (cr) out.pop_back();
        if (lineFeed - cr > fitting && linesHandedOut_ + 1 >= wanted) {
            measure[toMeasure++] = {at, lineFeed - cr};
            if (toMeasure == kMeasuredAtOnce) measureThrough(linesHandedOut_ + 1);
        }
        out.append(end);
        if (++linesHandedOut_ > summary_.lineCount) throw FileError(path(), kChangedWhileRead);
        at += lineFeed + 1;
        ++appended;
    }
    if (linesHandedOut_ >= wanted) measureThrough(linesHandedOut_);
    reader_.consume(at);
    return appended;
}

void SourceText::skipLines(std::uint64_t count) {
    if (!secondPassStarted_) startSecondPass();
    const std::uint64_t skipped = reader_.skipLines(count);
    linesHandedOut_ += skipped;
    if (skipped != count || linesHandedOut_ > summary_.lineCount)
        throw FileError(path(), kChangedWhileRead);
}

bool SourceText::appendLinePiece(std::string& out) {
    return appendPiece(out, false);
}

bool SourceText::appendRawLinePiece(std::string& out) {
    return appendPiece(out, true);
}

bool SourceText::appendPiece(std::string& out, bool raw) {
    if (!havePiece_) return false;
    appendBody(out, piece_, pieceEndsLine_, raw);
    if (pieceEndsLine_) {
        havePiece_ = false;
        return false;
    }
    // A line that has begun always ends with a piece, at the end of input too.
    havePiece_ = reader_.readLinePiece(piece_, pieceEndsLine_);
    return havePiece_;
}

// Windows-1252 turns byte by byte into its body; UTF-8 only whole characters
// at a time, so a character cut by the end of a piece waits for the rest.
void SourceText::appendBody(std::string& out, std::string_view piece, bool lastPiece, bool raw) {
    if (summary_.encoding == SourceEncoding::Windows1252) {
        if (raw)
            out.append(piece);
        else
            appendEncodedEscaped(out, piece, summary_.encoding);
        if (measuring_) measure_.add(*tally_.gauge(), piece, summary_.encoding);
    } else {
        auto append = [&](std::string_view whole) {
            if (raw)
                out.append(whole);
            else
                appendEncodedEscaped(out, whole, SourceEncoding::Utf8);
            if (measuring_) measure_.add(*tally_.gauge(), whole, SourceEncoding::Utf8);
        };
        characters_.add(piece, append);
        if (lastPiece) characters_.finish(append);
    }
    if (lastPiece && measuring_) {
        tally_.measured(linesHandedOut_, tally_.gauge()->tooWide(measure_));
        measuring_ = false;
    }
}

std::uint64_t SourceText::linesTooWide() noexcept {
    tally_.flush();
    return tally_.active() ? tally_.gauge()->counted() : 0;
}

void SourceText::expectEnd() {
    std::string rest;
    while (havePiece_ || startLine()) {
        while (appendLinePiece(rest)) rest.clear();
        rest.clear();
    }
}

void SourceText::expectWritten(std::uint64_t written, std::uint64_t measured) const {
    if (written != measured) throw FileError(path(), kChangedWhileRead);
}

SourceText::Position SourceText::position() const {
    if (!secondPassStarted_) return {textStart_, 0};
    return {reader_.offset(), linesHandedOut_};
}

void SourceText::moveToLines(std::uint64_t first, std::uint64_t end) {
    LineStarts::Start start;
    reader_.readNoFurtherThan(lineStarts_.nearestAtOrAfter(end, start) ? start.offset
                                                                       : ~std::uint64_t{0});
    Position known{textStart_, 0};
    if (lineStarts_.nearestAtOrBefore(first, start)) known = {start.offset, start.line};
    if (!secondPassStarted_ || known.lines > linesHandedOut_) returnTo(known);
    if (first < linesHandedOut_) throw std::logic_error("moveToLines cannot go back");
    skipLines(first - linesHandedOut_);
}

void SourceText::returnTo(Position position) {
    reader_.seek(position.offset);
    secondPassStarted_ = true;
    linesHandedOut_ = position.lines;
    havePiece_ = false;
    measuring_ = false;
    characters_ = Utf8Pieces();  // a line left half read leaves nothing behind
}

}  // namespace leafwright
