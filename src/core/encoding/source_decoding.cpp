#include "core/encoding/source_decoding.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "core/encoding/encoding_guess.h"
#include "core/encoding/iconv_converter.h"
#include "core/platform/file_error.h"
#include "core/text/unicode_units.h"
#include "core/text/utf8_repair.h"

namespace leafwright {

namespace {

using namespace std::string_view_literals;

// How much of a source the guess looks at, and in what pieces.
constexpr std::uint64_t kGuessSample = 1 << 20;
constexpr std::size_t kGuessPiece = 64 << 10;

struct ByteOrderMark {
    std::string_view bytes;
    const char* encoding;
};

// UTF-32LE's mark begins with UTF-16LE's, so it is looked for first.
constexpr ByteOrderMark kByteOrderMarks[] = {
    {"\xFF\xFE\0\0"sv, "UTF-32LE"}, {"\0\0\xFE\xFF"sv, "UTF-32BE"}, {"\xEF\xBB\xBF"sv, "UTF-8"},
    {"\xFF\xFE"sv, "UTF-16LE"},     {"\xFE\xFF"sv, "UTF-16BE"},
};

// A guess the usual rule reads as well: the bytes as they are.
bool isReadAsTheyAre(std::string_view guess) {
    const std::string plain = comparableEncodingName(guess);
    return plain == "UTF8" || plain == "ASCII" || plain == "USASCII";
}

// A guess of ISO-8859-1 is read as Windows-1252, as web browsers do: the
// two differ only in 0x80 to 0x9F, which are controls in ISO-8859-1 and
// hardly ever meant so, and printable (the euro sign, quotes, dashes) in
// Windows-1252. Either is named as the usual rule names it.
std::string readableGuess(std::string guess) {
    const std::string plain = comparableEncodingName(guess);
    if (plain == "ISO88591" || plain == "WINDOWS1252") return "Windows-1252";
    return guess;
}

// UTF-8, UTF-16 and UTF-32 go through the program's own converters, every
// other encoding through iconv.
std::unique_ptr<TextConverter> converterFor(const std::string& name) {
    if (comparableEncodingName(name) == "UTF8") return std::make_unique<Utf8Repair>();
    if (std::unique_ptr<TextConverter> units = unicodeUnitsConverter(name)) return units;
    return iconvConverter(name);
}

// The usual rule's reading, for a guess that told nothing it can read.
SourceDecoding guessTellingNothing() {
    SourceDecoding decoding;
    decoding.guessFailed = true;
    return decoding;
}

std::string guessFromStart(const TextFileReader& reader) {
    EncodingGuess guess;
    std::vector<char> piece(kGuessPiece);
    for (std::uint64_t offset = 0; offset < kGuessSample;) {
        const std::size_t got = reader.readBytesAt(offset, piece.data(), piece.size());
        if (got == 0) break;
        guess.add(std::string_view(piece.data(), got));
        offset += got;
    }
    return guess.result();
}

}  // namespace

bool isKnownEncoding(const std::string& name) {
    return name.empty() ||
           comparableEncodingName(name) == comparableEncodingName(kGuessedEncoding) ||
           converterFor(name) != nullptr;
}

SourceDecoding decodeSource(TextFileReader& reader, const std::string& encoding) {
    char head[4];
    const std::string_view start(head, reader.readBytesAt(0, head, sizeof head));
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (start.substr(0, mark.bytes.size()) != mark.bytes) continue;
        // Without a name the first pass reads a UTF-8 mark as always: it
        // drops the mark from UTF-8, and keeps the Windows-1252 reading of
        // a text that is not well-formed UTF-8.
        if (mark.bytes.size() == 3 && encoding.empty()) return {};
        std::unique_ptr<TextConverter> converter = converterFor(mark.encoding);
        if (!converter) break;
        reader.decodeWith(std::move(converter), mark.bytes.size());
        return {mark.encoding, false};
    }
    if (encoding.empty()) return {};
    SourceDecoding decoding{encoding, false};
    if (comparableEncodingName(encoding) == comparableEncodingName(kGuessedEncoding)) {
        decoding = {readableGuess(guessFromStart(reader)), true};
        // Read as the bytes are, a text the first pass finds not UTF-8 is
        // one the guess told nothing of.
        if (isReadAsTheyAre(decoding.encoding) || decoding.encoding.empty())
            return guessTellingNothing();
    }
    std::unique_ptr<TextConverter> converter = converterFor(decoding.encoding);
    if (!converter) {
        if (decoding.guessed) return guessTellingNothing();  // a name iconv cannot read
        throw FileError(reader.path(), "unknown encoding \"" + encoding + "\"");
    }
    reader.decodeWith(std::move(converter), 0);
    return decoding;
}

std::string encodingReadIn(const SourceDecoding& decoding, SourceEncoding firstPass) {
    if (!decoding.encoding.empty()) return decoding.encoding;
    return firstPass == SourceEncoding::Utf8 ? "UTF-8" : "Windows-1252";
}

std::vector<std::string> decodingWarnings(const SourceDecoding& decoding, const std::string& readIn,
                                          std::uint64_t invalidSequences) {
    std::vector<std::string> warnings;
    if (decoding.guessed) warnings.push_back("read as " + readIn + " (guessed)");
    if (decoding.guessFailed && readIn != "UTF-8")
        warnings.push_back("the encoding could not be guessed; read as " + readIn);
    if (invalidSequences > 0)
        warnings.push_back(std::to_string(invalidSequences) +
                           (invalidSequences == 1 ? " byte sequence" : " byte sequences") +
                           " not valid in " + readIn + " (shown as U+FFFD)");
    return warnings;
}

std::vector<std::string> readingWarnings(const SourceDecoding& decoding, const std::string& readIn,
                                         const TextFileReader& reader) {
    std::vector<std::string> warnings =
        decodingWarnings(decoding, readIn, reader.invalidSequences());
    if (reader.textCutAtEndOfText())
        warnings.push_back("the text ends at a 0x1A byte (Ctrl+Z); what follows it was not read");
    return warnings;
}

}  // namespace leafwright
