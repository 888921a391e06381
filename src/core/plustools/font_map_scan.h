#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/plustools/cmap_reader.h"
#include "core/plustools/pdf_tokenizer.h"
#include "core/plustools/to_unicode_map.h"

namespace leafwright {

// The /ToUnicode maps of a PDF's fonts, by the resource names that content
// streams select the fonts with ("/F1 12 Tf").
class FontTextMaps {
  public:
    // The map of the font of that resource name; nullptr when it has none.
    const ToUnicodeMap* find(std::string_view resourceName) const;
    bool empty() const noexcept { return byName_.empty(); }

    void add(std::string resourceName, std::shared_ptr<const ToUnicodeMap> map);

  private:
    std::map<std::string, std::shared_ptr<const ToUnicodeMap>, std::less<>> byName_;
};

// Reads a PDF's objects, fed in pieces of any size, only as far as the text
// maps need: which object each font resource name (in a /Font dictionary)
// stands for, which stream each font's /ToUnicode entry names, and the text
// of those streams, plain or /ASCIIHexDecode (a stream under any other filter
// gives no map). Stream data is skipped up to its "endstream". It also notes
// whether any stream dictionary names a /Filter.
//
// The maps can come after the fonts that name them or before; a map that was
// passed before its font was seen is read by a second scan (secondScanNeeded,
// then a new scanner made with the streams to read).
class FontMapScan final : private PdfTokenizer::Events {
  public:
    FontMapScan() = default;
    // For a second scan: read these streams whatever the order.
    explicit FontMapScan(std::set<std::int64_t> streamsToRead);

    void feed(std::string_view bytes);
    void finish();

    // ToUnicode streams named by fonts but passed before the font was seen
    // (a stream under a filter the scan cannot read is none of them).
    std::set<std::int64_t> unreadStreams() const;
    // Adds what this scan read to maps: every font name whose map is known
    // here or in `earlier` (the maps of a first scan).
    void collectMaps(FontTextMaps& maps, const FontMapScan* earlier = nullptr) const;

    // Whether a stream dictionary names a /Filter.
    bool sawFilteredStream() const noexcept { return sawFilteredStream_; }

  private:
    // Longer names and words select nothing the scan looks for.
    static constexpr std::size_t kMaxToken = 127;
    enum class StreamFilter { None, AsciiHex, Other };

    void onWord(std::string_view word, bool tooLong) override;
    void onName(std::string_view name, bool tooLong) override;
    void onDelimiter(PdfTokenizer::Delimiter delimiter) override;
    void onStringBegin(PdfTokenizer::StringKind kind) override;
    void startStreamData();
    void streamData(std::string_view bytes, std::size_t& used);
    void collectData(std::string_view data);
    void endStreamData();
    void clearOperands();
    bool wanted(std::int64_t object) const;

    PdfTokenizer tokenizer_{kMaxToken};
    bool inData_ = false;  // between "stream" and "endstream"

    // The last two integers read, for "N G obj" and "N G R".
    std::optional<std::int64_t> integers_[2];
    std::int64_t object_ = -1;
    int dictDepth_ = 0;
    enum class Expect { Nothing, ToUnicodeReference, FontDictionary, FilterNames };
    Expect expect_ = Expect::Nothing;
    int fontDictDepth_ = -1;  // the depth of the /Font dictionary being read
    std::string fontEntryName_;
    StreamFilter objectFilter_ = StreamFilter::None;
    int filterNames_ = 0;       // names given after /Filter
    bool filterArray_ = false;  // /Filter given as an array

    // Stream data.
    std::size_t endMatched_ = 0;  // bytes that may begin "endstream", held back
    std::string joined_;          // those bytes and the next piece
    bool collecting_ = false;
    StreamFilter dataFilter_ = StreamFilter::None;
    int hexHalf_ = -1;
    bool hexEnded_ = false;
    std::string decoded_;
    std::unique_ptr<CMapReader> cmap_;

    std::set<std::int64_t> streamsToRead_;  // given, and named by the fonts seen so far
    std::set<std::int64_t> unreadable_;     // streams under a filter the scan cannot read
    std::map<std::string, std::int64_t, std::less<>> fontObjects_;      // resource name -> font
    std::map<std::int64_t, std::int64_t> toUnicodeOf_;                  // font -> stream
    std::map<std::int64_t, std::shared_ptr<const ToUnicodeMap>> maps_;  // stream -> map
    std::size_t mapEntries_ = 0;                                        // of all maps read
    bool sawFilteredStream_ = false;
};

}  // namespace leafwright
