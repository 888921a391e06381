#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/text_file_reader.h"
#include "core/text/text_encoding.h"

namespace leafwright {

// The encoding name that asks for a guess.
inline constexpr const char* kGuessedEncoding = "auto";

// How a source's bytes are read.
struct SourceDecoding {
    // The encoding its byte-order mark, the name given or the guess chose;
    // empty when the first pass decides between UTF-8 and Windows-1252.
    std::string encoding;
    bool guessed = false;
    // A guess was asked for and told nothing the program can read, so the
    // usual rule reads the bytes.
    bool guessFailed = false;
};

// Whether an encoding name can be asked for: empty (the usual rule), the
// guess, or a name the system's iconv knows.
bool isKnownEncoding(const std::string& name);

// Sets the reader up to hand out its file's text as UTF-8, choosing in this
// order: a byte-order mark (UTF-16 or UTF-32, either byte order, and UTF-8
// when an encoding is named); the encoding named (a name iconv knows;
// kGuessedEncoding guesses from the first megabyte, see EncodingGuess);
// otherwise the bytes as they are, which the first pass takes as UTF-8 when
// they are well-formed UTF-8 (dropping a UTF-8 mark) and Windows-1252 when
// not, as always. Throws FileError naming the file for an encoding iconv
// does not know.
SourceDecoding decodeSource(TextFileReader& reader, const std::string& encoding);

// The name of the encoding the text was read in, once the first pass has
// taken its own as `firstPass`.
std::string encodingReadIn(const SourceDecoding& decoding, SourceEncoding firstPass);

// The warnings about a source's reading: a guessed encoding ("read as
// KOI8-R (guessed)"), a guess that told nothing for a text that is not
// UTF-8, and the byte sequences shown as U+FFFD.
std::vector<std::string> decodingWarnings(const SourceDecoding& decoding, const std::string& readIn,
                                          std::uint64_t invalidSequences);

// Every warning about how a source was read: decodingWarnings, then a text
// a 0x1A ended before the end of its file.
std::vector<std::string> readingWarnings(const SourceDecoding& decoding, const std::string& readIn,
                                         const TextFileReader& reader);

}  // namespace leafwright
