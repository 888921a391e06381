#include "core/plustools/font_map_scan.h"

#include <string.h>

#include <algorithm>

#include "core/plustools/pdf_characters.h"
#include "core/plustools/text_map_limits.h"

namespace leafwright {

namespace {

constexpr std::string_view kEndStream = "endstream";
// Bounds on what a hostile file can make the scan keep.
constexpr std::size_t kMaxFontNames = 4096;
constexpr std::size_t kMaxFonts = 4096;

// One step of matching "endstream": the length of the longest prefix of it
// that ends with this byte, given the length matched before it.
std::size_t advanceEndStream(std::size_t matched, char c) {
    while (matched > 0 && kEndStream[matched] != c) matched = matched == 7 ? 1 : 0;
    // Of "endstream", only "endstre" ends with a shorter prefix ("e").
    return kEndStream[matched] == c ? matched + 1 : 0;
}

std::optional<std::int64_t> integerOf(std::string_view token) {
    if (token.empty() || token.size() > 12) return std::nullopt;
    std::int64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

const ToUnicodeMap* FontTextMaps::find(std::string_view resourceName) const {
    auto found = byName_.find(resourceName);
    return found == byName_.end() ? nullptr : found->second.get();
}

void FontTextMaps::add(std::string resourceName, std::shared_ptr<const ToUnicodeMap> map) {
    byName_.emplace(std::move(resourceName), std::move(map));
}

FontMapScan::FontMapScan(std::set<std::int64_t> streamsToRead)
    : streamsToRead_(std::move(streamsToRead)) {}

bool FontMapScan::wanted(std::int64_t object) const {
    if (object < 0 || maps_.size() >= kMaxTextMaps || mapEntries_ >= kMaxTextMapEntries ||
        maps_.count(object) != 0)
        return false;
    return streamsToRead_.count(object) != 0;
}

void FontMapScan::clearOperands() {
    integers_[0].reset();
    integers_[1].reset();
}

void FontMapScan::feed(std::string_view bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (inData_) {
            streamData(bytes.substr(at), at);
        } else {
            at += tokenizer_.feed(bytes.substr(at), *this);
        }
    }
}

void FontMapScan::finish() {
    if (inData_) {
        endStreamData();
    } else {
        tokenizer_.endInput(*this);
    }
}

void FontMapScan::startStreamData() {
    inData_ = true;
    endMatched_ = 0;
    if (objectFilter_ != StreamFilter::None) sawFilteredStream_ = true;
    dataFilter_ = objectFilter_;
    // A second scan would not read it either.
    if (dataFilter_ == StreamFilter::Other && object_ >= 0 && unreadable_.size() < kMaxFonts)
        unreadable_.insert(object_);
    collecting_ = dataFilter_ != StreamFilter::Other && wanted(object_);
    hexHalf_ = -1;
    hexEnded_ = false;
    if (collecting_) cmap_ = std::make_unique<CMapReader>();
}

void FontMapScan::endStreamData() {
    inData_ = false;
    // The input ended in the data: what was held back was data after all.
    collectData(kEndStream.substr(0, endMatched_));
    endMatched_ = 0;
    if (collecting_) {
        if (dataFilter_ == StreamFilter::AsciiHex && hexHalf_ >= 0 && !hexEnded_) {
            char last = static_cast<char>(hexHalf_ << 4);
            cmap_->feed(std::string_view(&last, 1));
        }
        auto map = std::make_shared<ToUnicodeMap>(cmap_->finish());
        mapEntries_ += map->size();
        if (!map->empty()) maps_.emplace(object_, std::move(map));
    }
    collecting_ = false;
    cmap_.reset();
    clearOperands();
}

// Hands the data up to "endstream" to the map reader when the stream is a
// map to read, and skips it otherwise; `used` advances past what was taken.
// Bytes that may begin "endstream" at the end of a piece are held back until
// the next piece tells whether they do: the scan reads the same however its
// input is cut.
void FontMapScan::streamData(std::string_view bytes, std::size_t& used) {
    std::string_view text = bytes;
    const std::size_t held = endMatched_;
    if (held > 0) {
        joined_.assign(kEndStream.substr(0, held));
        joined_.append(bytes);
        text = joined_;
    }
    // memmem rather than find: text is full of the "e" that find would stop
    // at.
    const void* hit = ::memmem(text.data(), text.size(), kEndStream.data(), kEndStream.size());
    if (hit != nullptr) {
        const std::size_t found =
            static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        collectData(text.substr(0, found));
        endMatched_ = 0;
        used += found + kEndStream.size() - held;
        endStreamData();
        return;
    }
    endMatched_ = 0;
    for (std::size_t k = text.size() - std::min(text.size(), kEndStream.size() - 1);
         k < text.size(); ++k)
        endMatched_ = advanceEndStream(endMatched_, text[k]);
    collectData(text.substr(0, text.size() - endMatched_));
    used += bytes.size();
}

void FontMapScan::collectData(std::string_view data) {
    if (!collecting_) return;
    if (dataFilter_ != StreamFilter::AsciiHex) {
        cmap_->feed(data);
        return;
    }
    decoded_.clear();
    for (char c : data) {
        if (hexEnded_) break;
        if (c == '>') {
            hexEnded_ = true;
            if (hexHalf_ >= 0) decoded_ += static_cast<char>(hexHalf_ << 4);
            hexHalf_ = -1;
        } else if (int value = hexDigitValue(static_cast<unsigned char>(c)); value >= 0) {
            if (hexHalf_ < 0) {
                hexHalf_ = value;
            } else {
                decoded_ += static_cast<char>((hexHalf_ << 4) | value);
                hexHalf_ = -1;
            }
        }
    }
    cmap_->feed(decoded_);
}

void FontMapScan::onName(std::string_view name, bool tooLong) {
    if (tooLong) {
        expect_ = Expect::Nothing;
        return;
    }
    if (expect_ == Expect::FilterNames) {
        // The stream is read through the hex filter only when that is all
        // it names.
        bool hex = name == "ASCIIHexDecode" || name == "AHx";
        bool first = filterNames_++ == 0;
        objectFilter_ = hex && (first || objectFilter_ == StreamFilter::AsciiHex)
                            ? StreamFilter::AsciiHex
                            : StreamFilter::Other;
        if (!filterArray_) expect_ = Expect::Nothing;
        return;
    }
    clearOperands();
    if (fontDictDepth_ >= 0 && dictDepth_ == fontDictDepth_) {
        fontEntryName_ = name;
        expect_ = Expect::Nothing;
        return;
    }
    if (name == "ToUnicode") {
        expect_ = Expect::ToUnicodeReference;
    } else if (name == "Font") {
        expect_ = Expect::FontDictionary;
    } else if (name == "Filter") {
        // Any filter but the hex one (or one given indirectly) hides the map.
        expect_ = Expect::FilterNames;
        objectFilter_ = StreamFilter::Other;
        filterNames_ = 0;
        filterArray_ = false;
    } else {
        expect_ = Expect::Nothing;
    }
}

void FontMapScan::onWord(std::string_view word, bool tooLong) {
    if (expect_ == Expect::FilterNames) expect_ = Expect::Nothing;
    if (std::optional<std::int64_t> value = integerOf(word); value && !tooLong) {
        integers_[0] = integers_[1];
        integers_[1] = value;
        return;
    }
    if (word == "obj" && integers_[0]) {
        object_ = *integers_[0];
        objectFilter_ = StreamFilter::None;
        dictDepth_ = 0;
        fontDictDepth_ = -1;
        expect_ = Expect::Nothing;
    } else if (word == "R" && integers_[0]) {
        std::int64_t target = *integers_[0];
        if (expect_ == Expect::ToUnicodeReference && object_ >= 0) {
            if (toUnicodeOf_.size() < kMaxFonts && toUnicodeOf_.emplace(object_, target).second)
                streamsToRead_.insert(target);
        } else if (fontDictDepth_ >= 0 && dictDepth_ == fontDictDepth_ && !fontEntryName_.empty()) {
            if (fontObjects_.size() < kMaxFontNames) fontObjects_.emplace(fontEntryName_, target);
            fontEntryName_.clear();
        }
        expect_ = Expect::Nothing;
    } else if (word == "stream") {
        // The byte after "stream" (its line end) is the last one read as
        // syntax.
        startStreamData();
        tokenizer_.handOver();
        return;
    } else if (word == "endobj") {
        object_ = -1;
        objectFilter_ = StreamFilter::None;
        fontDictDepth_ = -1;
        dictDepth_ = 0;
        expect_ = Expect::Nothing;
    } else {
        expect_ = Expect::Nothing;
    }
    clearOperands();
}

void FontMapScan::onDelimiter(PdfTokenizer::Delimiter delimiter) {
    using Delimiter = PdfTokenizer::Delimiter;
    if (delimiter == Delimiter::DictionaryOpen) {
        ++dictDepth_;
        if (expect_ == Expect::FontDictionary) {
            fontDictDepth_ = dictDepth_;
            fontEntryName_.clear();
        }
        expect_ = Expect::Nothing;
    } else if (delimiter == Delimiter::DictionaryClose) {
        if (fontDictDepth_ >= 0 && dictDepth_ == fontDictDepth_) fontDictDepth_ = -1;
        if (dictDepth_ > 0) --dictDepth_;
        expect_ = Expect::Nothing;
    } else if (delimiter == Delimiter::ArrayOpen && expect_ == Expect::FilterNames) {
        filterArray_ = true;
    } else {
        expect_ = Expect::Nothing;
    }
    clearOperands();
}

// A string is no operand the scan looks for.
void FontMapScan::onStringBegin(PdfTokenizer::StringKind /*kind*/) {
    expect_ = Expect::Nothing;
    clearOperands();
}

std::set<std::int64_t> FontMapScan::unreadStreams() const {
    std::set<std::int64_t> unread;
    for (const auto& [font, stream] : toUnicodeOf_)
        if (maps_.count(stream) == 0 && unreadable_.count(stream) == 0) unread.insert(stream);
    return unread;
}

void FontMapScan::collectMaps(FontTextMaps& maps, const FontMapScan* earlier) const {
    const FontMapScan& structure = earlier != nullptr ? *earlier : *this;
    for (const auto& [name, font] : structure.fontObjects_) {
        auto toUnicode = structure.toUnicodeOf_.find(font);
        if (toUnicode == structure.toUnicodeOf_.end()) continue;
        for (const FontMapScan* scan : {this, earlier}) {
            if (scan == nullptr) continue;
            auto map = scan->maps_.find(toUnicode->second);
            if (map != scan->maps_.end()) {
                maps.add(name, map->second);
                break;
            }
        }
    }
}

}  // namespace leafwright
