#include "core/plustools/unspool_run.h"

#include <string_view>

#include "core/platform/output_name.h"
#include "core/platform/own_source.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/plustools/font_map_scan.h"
#include "core/plustools/unspool_filter.h"

namespace leafwright {

namespace {

constexpr const char* kCompressedWarning = "its page content is compressed; no text was extracted";

// Output is handed to the writer in pieces of about this size.
constexpr std::size_t kPieceSize = 64 * 1024;
// The filter is fed at most this much at a time, so that what one feed
// yields stays small even when a font's map gives long texts for short codes.
constexpr std::size_t kFeedSize = 4 * 1024;

// Reads the fonts' text maps: one scan, and a second one when a map came
// before the font that names it. Notes a filtered stream in the outcome.
FontTextMaps scanFontMaps(TextFileReader& reader, UnspoolOutcome& outcome) {
    FontTextMaps maps;
    FontMapScan scan;
    std::string_view block;
    while (reader.readBlock(block)) scan.feed(block);
    scan.finish();
    outcome.sawFilteredStream = scan.sawFilteredStream();
    std::set<std::int64_t> unread = scan.unreadStreams();
    if (unread.empty()) {
        scan.collectMaps(maps);
        return maps;
    }
    reader.rewind();
    FontMapScan second(std::move(unread));
    while (reader.readBlock(block)) second.feed(block);
    second.finish();
    second.collectMaps(maps, &scan);
    return maps;
}

// Splits blocks into lines as the text reader does (a line ends at LF, a CR
// right before it is dropped), handing each line to the filter in pieces,
// so no line is ever held whole.
class LineFeeder {
  public:
    LineFeeder(UnspoolFilter& filter, TextFileWriter& writer) : filter_(filter), writer_(writer) {
        pending_.reserve(kPieceSize + 4096);
    }

    void block(std::string_view bytes) {
        while (!bytes.empty()) {
            std::size_t lf = bytes.find('\n');
            std::string_view part = bytes.substr(0, lf);
            if (crHeld_) {
                // The CR that ended the last block is text unless an LF follows.
                crHeld_ = false;
                if (!(lf == 0)) piece("\r");
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

    // The end of the input: a last line without a line end is a line too.
    std::uint64_t finish() {
        if (crHeld_) piece("\r");
        if (lineOpen_) filter_.endLine(pending_);
        written_ += pending_.size();
        writer_.writeRaw(pending_);
        pending_.clear();
        return written_;
    }

  private:
    void piece(std::string_view part) {
        if (!part.empty()) lineOpen_ = true;
        while (!part.empty()) {
            std::string_view now = part.substr(0, kFeedSize);
            filter_.filterPiece(now, pending_);
            part.remove_prefix(now.size());
            flushIfFull();
        }
    }

    void flushIfFull() {
        if (pending_.size() < kPieceSize) return;
        written_ += pending_.size();
        writer_.writeRaw(pending_);
        pending_.clear();
    }

    UnspoolFilter& filter_;
    TextFileWriter& writer_;
    std::string pending_;
    std::uint64_t written_ = 0;
    bool crHeld_ = false;
    bool lineOpen_ = false;  // bytes read since the last line end
};

}  // namespace

std::string unspoolWarningFor(const UnspoolOutcome& outcome) {
    if (outcome.bytesWritten == 0 && outcome.sawFilteredStream) return kCompressedWarning;
    return {};
}

UnspoolOutcome unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                           const ReplaceQuestion& mayReplace) {
    TextFileReader reader(sourcePath);
    // Even with the safe replacement, the finished output would take the
    // source's place: the text read would be lost.
    refuseOutputOverSource(sourcePath, outputPath, reader.device(), reader.inode());

    UnspoolOutcome outcome;
    FontTextMaps maps = scanFontMaps(reader, outcome);
    reader.rewind();

    TextFileWriter writer(outputPath);
    UnspoolFilter filter(&maps);
    LineFeeder feeder(filter, writer);
    std::string_view block;
    while (reader.readBlock(block)) feeder.block(block);
    outcome.bytesWritten = feeder.finish();
    reader.close();
    outcome.placed = writer.commit(mayReplace);
    return outcome;
}

void unspoolFiles(const std::vector<std::string>& sources, FileRunHandler& handler) {
    runOverFiles(sources, unspoolSteps(), handler);
}

FileRunSteps unspoolSteps() {
    FileRunSteps steps;
    steps.outputPathOf = [](const std::string& source) { return outputBeside(source, "txt"); };
    steps.convertOne = [](const std::string& source, const std::string& output,
                          const ReplaceQuestion& mayReplace) {
        UnspoolOutcome outcome = unspoolFile(source, output, mayReplace);
        return FileRunStepResult{outcome.placed, unspoolWarningFor(outcome), outcome.bytesWritten,
                                 std::nullopt};
    };
    return steps;
}

}  // namespace leafwright
