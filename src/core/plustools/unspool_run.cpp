#include "core/plustools/unspool_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

#include "core/compression/inflater.h"
#include "core/platform/output_name.h"
#include "core/platform/own_source.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/plustools/document_outline.h"
#include "core/plustools/font_map_scan.h"
#include "core/plustools/line_feeder.h"
#include "core/plustools/page_content_reader.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/split_part_name.h"
#include "core/plustools/unspool_filter.h"

namespace leafwright {

namespace {

constexpr const char* kCompressedWarning = "its page content is compressed; no text was extracted";
constexpr const char* kObjectStreams = "its objects are in compressed object streams";
constexpr const char* kEncrypted = "it is encrypted";
// A text this many times its PDF's size deserves a word: a font's map may
// give long texts for short codes, or the content inflate to much more.
constexpr std::uint64_t kLargeTextRatio = 64;

// A PDF begins with "%PDF-" within its first bytes (readers allow some
// bytes before it) and ends with "%%EOF" within its last ones (an
// incremental update included). Any other file is still read line by line
// for what text it holds; the user hears why that may be nothing, or less
// than the document held.
constexpr std::size_t kMarkerReach = 1024;

struct PdfMarkers {
    bool begins = false;
    bool ends = false;
};

PdfMarkers pdfMarkersOf(TextFileReader& reader) {
    auto bytesAt = [&](std::uint64_t offset, std::size_t count) {
        std::string bytes(count, '\0');
        bytes.resize(reader.readAt(offset, bytes.data(), count));
        return bytes;
    };
    const std::uint64_t size = reader.size();
    const auto reach = static_cast<std::size_t>(std::min<std::uint64_t>(size, kMarkerReach));
    return {bytesAt(0, reach).find("%PDF-") != std::string::npos,
            bytesAt(size - reach, reach).find("%%EOF") != std::string::npos};
}

// Adds words to the outcome's note, after any it holds.
void addNote(UnspoolOutcome& outcome, const std::string& words) {
    outcome.note = outcome.note.empty() ? words : outcome.note + "; " + words;
}

void noteMissingMarkers(const PdfMarkers& markers, UnspoolOutcome& outcome) {
    if (!markers.begins && outcome.bytesWritten == 0)
        addNote(outcome,
                "it is not a PDF document (it does not begin with %PDF-); no text was extracted");
    else if (markers.begins && !markers.ends)
        addNote(outcome,
                "it ends before the end of a PDF document (%%EOF): it may have been cut short, "
                "and its text with it");
}

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

// The document of a PDF whose objects Unspool can read, or nullptr with the
// reason in the outcome (object streams, encryption) or without one (no
// cross-reference table that can be read: the PDF is read line by line).
std::unique_ptr<PdfDocument> openDocument(TextFileReader& reader, UnspoolOutcome& outcome) {
    std::unique_ptr<PdfDocument> document;
    try {
        document = std::make_unique<PdfDocument>(reader);
    } catch (const PdfStructureError&) {
        return nullptr;
    } catch (const PdfSyntaxError&) {
        return nullptr;
    } catch (const CompressedDataError&) {
        return nullptr;
    }
    if (document->crossReference().usesObjectStreams()) {
        outcome.unreadReason = kObjectStreams;
        return nullptr;
    }
    if (document->crossReference().trailer().find("Encrypt") != nullptr) {
        outcome.unreadReason = kEncrypted;
        return nullptr;
    }
    return document;
}

// A failure to read the document's objects, as the source's FileError.
[[noreturn]] void failOnStructure(const std::string& sourcePath, const std::exception& error) {
    throw FileError(sourcePath, std::string("its objects cannot be read: ") + error.what());
}

// Runs `read` over the document, turning what stops it into the source's
// FileError.
template <typename Read>
void readingDocument(const std::string& sourcePath, Read read) {
    try {
        read();
    } catch (const PdfStructureError& error) {
        failOnStructure(sourcePath, error);
    } catch (const PdfSyntaxError& error) {
        failOnStructure(sourcePath, error);
    } catch (const CompressedDataError& error) {
        failOnStructure(sourcePath, error);
    }
}

// Feeds every page's content through the filter, on `threads` threads (one
// or two); notes what could not be read. `beforePage` runs before each page
// with its index (from 0).
void readPages(PdfDocument& document, UnspoolFilter& filter, LineFeeder& feeder,
               UnspoolOutcome& outcome, unsigned threads,
               std::function<void(std::uint64_t)> beforePage = {}) {
    outcome.readByPages = true;
    FilterSink sink(filter, feeder, std::move(beforePage));
    const PagesRead read = readAllPages(document, sink, threads);
    outcome.pages = read.pages;
    outcome.pagesUnread = read.pagesUnread;
    if (outcome.unreadReason.empty()) outcome.unreadReason = read.unreadReason;
    if (const std::uint64_t passed = document.pageTreeNodesPassedOver(); passed > 0)
        addNote(outcome,
                "its page tree holds " + std::to_string(passed) +
                    (passed == 1 ? " entry that repeats an object or names no page; its"
                                 : " entries that repeat an object or name no page; their") +
                    " text, if any, was not extracted");
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string inFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// One text file of a split document, and the page it starts at.
struct SplitPart {
    std::string path;
    std::uint64_t firstPage = 0;
};

// Plans the parts of the outline's items; throws FileError on a title that
// names no file, two items of one name, or items out of page order.
std::vector<SplitPart> planParts(const std::string& sourcePath, const std::string& folder,
                                 const std::vector<OutlineItem>& items,
                                 const std::unordered_map<std::uint32_t, std::uint64_t>& pageIndex,
                                 UnspoolOutcome& outcome) {
    std::vector<SplitPart> parts;
    std::map<std::string, std::size_t> named;  // name -> item number
    std::uint64_t pageless = 0;
    for (std::size_t k = 0; k < items.size(); ++k) {
        const OutlineItem& item = items[k];
        const std::string which =
            "outline item " + std::to_string(k + 1) + " (\"" + item.title + "\")";
        auto page = item.page ? pageIndex.find(item.page->number) : pageIndex.end();
        if (page == pageIndex.end()) {
            ++pageless;
            continue;
        }
        const SplitPartName name = splitPartNameFor(item.title);
        if (name.name.empty())
            throw FileError(sourcePath, which + " names no file: " + name.refusal);
        if (auto [at, fresh] = named.emplace(name.name, k + 1); !fresh)
            throw FileError(sourcePath, "outline items " + std::to_string(at->second) + " and " +
                                            std::to_string(k + 1) + " would both be written to \"" +
                                            name.name + "\"");
        if (!parts.empty() && page->second < parts.back().firstPage)
            throw FileError(sourcePath, which +
                                            " leads to a page before that of the item before it: "
                                            "the outline is not in page order");
        parts.push_back(SplitPart{inFolder(folder, name.name), page->second});
    }
    if (pageless > 0)
        outcome.note = std::to_string(pageless) +
                       (pageless == 1 ? " outline item leads" : " outline items lead") +
                       " to no page of it and got no file";
    if (!parts.empty()) parts.front().firstPage = 0;  // the pages before the first item's
    return parts;
}

// Refuses, before anything is written, a part that would replace its own
// source, a folder, or an existing file the question does not let go.
void checkPartPath(const TextFileReader& reader, const std::string& path,
                   const ReplaceQuestion& mayReplace) {
    refuseOutputOverSource(reader.path(), path, reader.device(), reader.inode());
    struct stat entry {};
    if (::stat(path.c_str(), &entry) != 0) return;
    if (S_ISDIR(entry.st_mode)) throw FileError(path, "Is a directory");
    if (mayReplace && !mayReplace()) throw FileError(path, "already exists");
}

}  // namespace

std::string unspoolWarningFor(const UnspoolOutcome& outcome) {
    std::string warning;
    auto add = [&](const std::string& words) {
        if (words.empty()) return;
        warning += (warning.empty() ? "" : "; ") + words;
    };
    if (!outcome.unreadReason.empty()) {
        if (outcome.bytesWritten == 0 || outcome.pagesUnread >= outcome.pages)
            add(outcome.unreadReason + "; no text was extracted");
        else
            add(outcome.unreadReason + "; the text of " + std::to_string(outcome.pagesUnread) +
                " of its " + std::to_string(outcome.pages) + " pages was not extracted");
    } else if (outcome.bytesWritten == 0 && outcome.sawFilteredStream && !outcome.readByPages) {
        add(kCompressedWarning);
    }
    if (outcome.sourceBytes > 0 && outcome.bytesWritten / kLargeTextRatio > outcome.sourceBytes)
        add("its text is " + std::to_string(outcome.bytesWritten / outcome.sourceBytes) +
            " times the size of the PDF");
    add(outcome.note);
    return warning;
}

UnspoolOutcome unspoolFile(const std::string& sourcePath, const std::string& outputPath,
                           const ReplaceQuestion& mayReplace, unsigned threads) {
    TextFileReader reader(sourcePath);
    // Even with the safe replacement, the finished output would take the
    // source's place: the text read would be lost.
    refuseOutputOverSource(sourcePath, outputPath, reader.device(), reader.inode());

    UnspoolOutcome outcome;
    outcome.sourceBytes = reader.size();
    const PdfMarkers markers = pdfMarkersOf(reader);
    FontTextMaps maps = scanFontMaps(reader, outcome);
    // A 0x1A cut the reading short: what comes after it may be compressed.
    const bool cutShort = reader.offset() < reader.size();
    // Only a PDF that the reading line by line cannot read is read through
    // its objects: every other one gives exactly the text it always gave.
    std::unique_ptr<PdfDocument> document;
    if (outcome.sawFilteredStream || cutShort) {
        document = openDocument(reader, outcome);
        if (document) {
            bool filtered = false;
            // A page tree that cannot be read leaves the lines to read.
            try {
                filtered = pageContentIsFiltered(*document);
            } catch (const PdfStructureError&) {
            } catch (const PdfSyntaxError&) {
            } catch (const CompressedDataError&) {
            }
            if (!filtered) document.reset();
        }
    }

    TextFileWriter writer(outputPath);
    UnspoolFilter filter(&maps);
    LineFeeder feeder(filter, writer);
    if (document) {
        readingDocument(sourcePath,
                        [&] { readPages(*document, filter, feeder, outcome, threads); });
    } else if (outcome.unreadReason.empty()) {
        reader.rewind();
        std::string_view block;
        while (reader.readBlock(block)) feeder.block(block);
    }
    outcome.bytesWritten = feeder.finish();
    noteMissingMarkers(markers, outcome);
    reader.close();
    outcome.placed = writer.commit(mayReplace);
    return outcome;
}

UnspoolOutcome unspoolFileByOutline(const std::string& sourcePath, const std::string& folder,
                                    const ReplaceQuestion& mayReplace, unsigned threads) {
    TextFileReader reader(sourcePath);
    UnspoolOutcome outcome;
    outcome.sourceBytes = reader.size();
    std::unique_ptr<PdfDocument> document = openDocument(reader, outcome);
    if (!document) {
        const std::string why = outcome.unreadReason.empty()
                                    ? "it has no cross-reference table that can be read"
                                    : outcome.unreadReason;
        throw FileError(sourcePath, why + "; its outline cannot be read");
    }

    std::vector<OutlineItem> items;
    std::unordered_map<std::uint32_t, std::uint64_t> pageIndex;
    readingDocument(sourcePath, [&] {
        items = readOutline(*document);
        std::uint64_t index = 0;
        document->forEachPage([&](const PdfPage& page) {
            pageIndex.emplace(page.reference.number, index++);
            return true;
        });
    });
    std::vector<SplitPart> parts = planParts(sourcePath, folder, items, pageIndex, outcome);
    if (parts.empty()) {
        const std::string whole = outputBeside(sourcePath, "txt");
        parts.push_back(SplitPart{inFolder(folder, whole.substr(whole.rfind('/') + 1)), 0});
        addNote(outcome, std::string(items.empty() ? "it has no outline"
                                                   : "no outline item leads to a page") +
                             ": its text is in one file");
    }
    for (const SplitPart& part : parts) checkPartPath(reader, part.path, mayReplace);

    // The parts are written one after another, each complete before it
    // takes its name.
    std::size_t next = 0;
    auto writer = std::make_unique<TextFileWriter>(parts[next].path);
    UnspoolFilter filter;
    LineFeeder feeder(filter, *writer);
    auto place = [&](TextFileWriter& finished) {
        if (!finished.commit(mayReplace)) throw FileError(finished.path(), "already exists");
        outcome.parts.push_back(finished.path());
    };
    readingDocument(sourcePath, [&] {
        readPages(*document, filter, feeder, outcome, threads, [&](std::uint64_t page) {
            while (next + 1 < parts.size() && parts[next + 1].firstPage == page) {
                auto following = std::make_unique<TextFileWriter>(parts[++next].path);
                feeder.switchWriter(*following);
                place(*writer);
                writer = std::move(following);
            }
        });
    });
    outcome.bytesWritten = feeder.finish();
    reader.close();
    place(*writer);
    return outcome;
}

void unspoolFiles(const std::vector<std::string>& sources, FileRunHandler& handler) {
    runOverFiles(sources, unspoolSteps(), handler);
}

namespace {

FileRunStepResult resultOf(const UnspoolOutcome& outcome) {
    FileRunStepResult result;
    result.placed = outcome.placed;
    result.warning = unspoolWarningFor(outcome);
    result.bytes = outcome.bytesWritten;
    result.parts = outcome.parts;
    return result;
}

}  // namespace

FileRunSteps unspoolSteps(unsigned threads) {
    FileRunSteps steps;
    steps.outputPathOf = [](const std::string& source) { return outputBeside(source, "txt"); };
    steps.convertOne = [threads](const std::string& source, const std::string& output,
                                 const ReplaceQuestion& mayReplace) {
        return resultOf(unspoolFile(source, output, mayReplace, threads));
    };
    return steps;
}

FileRunSteps unspoolByOutlineSteps(std::optional<std::string> folder, unsigned threads) {
    FileRunSteps steps;
    steps.outputPathOf = [folder](const std::string& source) {
        return folder ? *folder : folderOf(source);
    };
    steps.convertOne = [threads](const std::string& source, const std::string& output,
                                 const ReplaceQuestion& mayReplace) {
        return resultOf(unspoolFileByOutline(source, output, mayReplace, threads));
    };
    return steps;
}

}  // namespace leafwright
