#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace leafwright {

// How the bytes of a source file are read: UTF-8 when the whole file is
// well-formed UTF-8, otherwise the Windows-1252 code page.
enum class SourceEncoding { Utf8, Windows1252 };

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::size_t kNotUtf8 = static_cast<std::size_t>(-1);

// An encoding's name as iconv compares names: its letters in upper case,
// without "-" and "_" ("utf-16le" and "UTF16LE" are one).
std::string comparableEncodingName(std::string_view name);

// True when no byte has its high bit set.
bool isAscii(std::string_view bytes);

// The number of characters in well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF), or kNotUtf8.
std::size_t countUtf8Characters(std::string_view bytes);

// The bytes a PDF string body holds only after a backslash.
inline constexpr std::string_view kEscapedInStrings = "\\()";

constexpr bool isEscapedInStrings(char byte) noexcept {
    for (char escaped : kEscapedInStrings)
        if (byte == escaped) return true;
    return false;
}

// The body of a PDF string for bytes: each byte of kEscapedInStrings preceded
// by a backslash, every other byte kept. The appending form adds it to out
// (inline: lines drawn character by character call it for each byte).
inline void escapeText(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        if (isEscapedInStrings(c)) out.push_back('\\');
        out.push_back(c);
    }
}
std::string escapeText(std::string_view bytes);

// Appends the line as the PDF string body shows it: each character turned
// into its MacRomanEncoding byte (see mac_roman.h), then escaped as
// escapeText does. Malformed UTF-8 becomes "?" byte by byte.
void appendEncodedEscaped(std::string& out, std::string_view line, SourceEncoding encoding);

// The same for the bytes of a line up to its line feed, when they are all
// ASCII (as either encoding reads them alike): returns the line feed's
// index, or kNotAnAsciiLine, out left as it was, at a byte above 0x7F or
// when no line feed comes. The line feed itself is not appended.
inline constexpr std::size_t kNotAnAsciiLine = ~std::size_t{0};
std::size_t appendEscapedAsciiLine(std::string& out, std::string_view bytes);

// The well-formed UTF-8 character of one to three bytes that starts
// p[0, n) (n at least 1) and its length; 0 for any other: four bytes,
// malformed, overlong, a surrogate, or cut at n. Inline: drawing and
// counting call it for every character of most alphabets.
inline std::size_t decodeShortUtf8(const unsigned char* p, std::size_t n, char32_t& character) {
    const unsigned lead = p[0];
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (n < 2 || (p[1] & 0xC0) != 0x80) return 0;
        character = (char32_t{lead & 0x1Fu} << 6) | (p[1] & 0x3Fu);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (n < 3 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) return 0;
        if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] >= 0xA0)) return 0;
        character = (char32_t{lead & 0x0Fu} << 12) | (char32_t{p[1] & 0x3Fu} << 6) | (p[2] & 0x3Fu);
        return 3;
    }
    return 0;
}

// Decodes the character that starts at bytes[at]: in UTF-8 a whole
// sequence, "?" for one byte of a malformed one; in Windows-1252 one byte
// (its undefined bytes as "?"). Returns the number of bytes it took.
std::size_t decodeCharacter(std::string_view bytes, std::size_t at, SourceEncoding encoding,
                            char32_t& character);

// Writes the UTF-8 form of a code point that is neither a surrogate nor
// beyond U+10FFFF (four bytes at most); returns the end of what it wrote.
inline char* writeUtf8(char32_t code, char* out) {
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// Appends the UTF-8 form of a code point (U+FFFD for a surrogate or a value
// beyond U+10FFFF).
void appendUtf8(char32_t code, std::string& out);

// True when the character has no code in the PDF MacRomanEncoding and is not
// below U+0080: only the embedded fonts can print it.
bool isBeyondMacRoman(char32_t character);

// Number of bytes of the line that escaping doubles: backslash, "(" and ")".
std::size_t countEscapedBytes(std::string_view line);

// Passes on UTF-8 text that comes in pieces cut anywhere as pieces holding
// only whole characters, so that each piece decodes on its own as the whole
// text would: a character cut short at the end of one piece waits for the
// continuation bytes that start the next. Cutting right before a byte that
// does not continue a character never splits a well-formed character, and
// four bytes after a character's first byte the decoding starts afresh
// either way, so the pieces decode byte for byte like the whole.
class Utf8Pieces {
  public:
    // Calls take(bytes) for each part of the piece that can be passed on.
    template <typename Take>
    void add(std::string_view piece, Take&& take);
    // Passes on a character that stays cut short (the text ends there).
    template <typename Take>
    void finish(Take&& take) {
        if (!waiting_.empty()) take(std::string_view(waiting_));
        waiting_.clear();
    }
    // The bytes of a character cut short by the last piece.
    std::string_view waiting() const noexcept { return waiting_; }

  private:
    static constexpr std::size_t kLongest = 4;
    static bool isContinuation(char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
    }
    // Bytes a character takes judging by its first byte; 1 for anything that
    // cannot start a longer one.
    static std::size_t sequenceLength(char first) {
        auto lead = static_cast<unsigned char>(first);
        return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }

    std::string waiting_;
};

template <typename Take>
void Utf8Pieces::add(std::string_view piece, Take&& take) {
    if (!waiting_.empty()) {
        std::size_t continued = 0;
        while (continued < piece.size() && waiting_.size() + continued < kLongest &&
               isContinuation(piece[continued]))
            ++continued;
        waiting_.append(piece.substr(0, continued));
        piece.remove_prefix(continued);
        if (piece.empty() && waiting_.size() < sequenceLength(waiting_[0]))
            return;  // still short; the next piece may complete it
        take(std::string_view(waiting_));
        waiting_.clear();
        if (piece.empty()) return;
    }
    // The last byte that may start a character, within the length of the
    // longest one; a character that starts there but does not fit waits.
    std::size_t lookBack = std::min(piece.size(), kLongest - 1);
    for (std::size_t back = 1; back <= lookBack; ++back) {
        std::size_t start = piece.size() - back;
        if (isContinuation(piece[start])) continue;
        if (sequenceLength(piece[start]) > back) {
            waiting_.assign(piece.substr(start));
            piece = piece.substr(0, start);
        }
        break;
    }
    if (!piece.empty()) take(piece);
}

// Decodes a text that holds UTF-8 when it is well-formed UTF-8, otherwise
// Windows-1252 (undefined bytes as "?"), into UTF-32.
std::u32string decodeText(std::string_view text);

}  // namespace leafwright
