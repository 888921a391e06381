#pragma once

// The Unspool line filter as it was before strings were read as PDF tokens,
// kept word for word as the reference that PDFs using none of the newer
// readings (several strings on a line, hex strings and text maps, the
// doubled backslash and the marker texts, "BT" and "ET" inside other words)
// must still match byte for byte.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/text/mac_roman_decode.h"

namespace leafwright::former {

// Copies the literal strings inside the text objects of an uncompressed PDF
// out of its lines. It parses no PDF structure: a line holding "BT" opens a
// text object, a line holding "ET" closes one, and of each line inside a
// text object only the first string is taken. A string may run over several
// lines; its pieces are joined into one output line.
//
// One filter serves one source file, fed its lines in order.
class UnspoolFilter {
  public:
    // Passes one source line (without its line end) through the filter and
    // appends what it yields to out: the string text in UTF-8 (bytes from
    // 0x80 up decoded from Mac OS Roman) and CR LF where a string ends.
    void filterLine(std::string_view line, std::string& out);

    // Text objects opened minus text objects closed; may fall below 0.
    std::int64_t textDepth() const noexcept { return textDepth_; }
    // Strings opened on earlier lines and not yet closed.
    std::int64_t openStrings() const noexcept { return openStrings_; }

  private:
    std::string_view mask(std::string_view line);

    std::int64_t textDepth_ = 0;
    std::int64_t openStrings_ = 0;
    std::string masked_;  // reused for lines that hold a backslash
};

// Appends a piece of a masked line as output text: the markers of escaped
// parentheses become bare parentheses, bytes from 0x80 up become UTF-8.
inline void appendUnmaskedText(std::string_view piece, std::string& out);

namespace detail {

// An escaped "(" or ")" is replaced by one of these for the time a line is
// examined, so that only the string's own delimiters are found as
// parentheses. The same texts already present in a line are indistinguishable
// from them and come out as parentheses too.
constexpr std::string_view kOpenMarker = "#$%";
constexpr std::string_view kCloseMarker = "#$&";

constexpr std::string_view kLineBreak = "\r\n";

inline bool isMarkerAt(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && text[at] == '#' && text[at + 1] == '$' &&
           (text[at + 2] == '%' || text[at + 2] == '&');
}

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The high bit of each byte of the word that is "#" or above 0x7F: the bytes
// output cannot copy as they are. Exact for every byte.
inline std::uint64_t rewriteBytes(std::uint64_t word) {
    constexpr std::uint64_t kLowBits = ~kHighBits;
    std::uint64_t hash = word ^ (kOnes * '#');  // a zero byte where a "#" was
    std::uint64_t hashes = ~(((hash & kLowBits) + kLowBits) | hash | kLowBits);
    return (word & kHighBits) | hashes;
}

inline bool needsRewriting(unsigned char c) {
    return c == '#' || c >= 0x80;
}

// The index of the first byte of the eight at p to rewrite, given their
// rewriteBytes (not zero).
inline std::size_t firstToRewrite(const char* p, std::uint64_t bits) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<std::size_t>(std::countr_zero(bits)) / 8;
    } else {
        std::size_t k = 0;
        while (!needsRewriting(static_cast<unsigned char>(p[k]))) ++k;
        return k;
    }
}

// Where the text first holds "BT" (npos when nowhere) and whether it holds
// "ET"; one search for the "T"s serves both.
inline void findTextOperators(std::string_view text, std::size_t& begin, bool& end) {
    begin = std::string_view::npos;
    end = false;
    for (std::size_t at = text.find('T', 1); at != std::string_view::npos;
         at = text.find('T', at + 1)) {
        if (text[at - 1] == 'B') {
            if (begin == std::string_view::npos) begin = at - 1;
        } else if (text[at - 1] == 'E') {
            end = true;
        }
        if (end && begin != std::string_view::npos) return;
    }
}

}  // namespace detail
using namespace detail;

inline void appendUnmaskedText(std::string_view piece, std::string& out) {
    const char* p = piece.data();
    const std::size_t n = piece.size();
    // No byte yields more than three (a Mac OS Roman byte as UTF-8), so the
    // room is made once and filled through a pointer, plain text eight bytes
    // a store (the room left is always at least three times the bytes left).
    const std::size_t start = out.size();
    out.resize(start + 3 * n);
    char* d = out.data() + start;
    std::size_t at = 0;
    while (at < n) {
        if (n - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p + at, 8);
            std::uint64_t bits = rewriteBytes(word);
            std::memcpy(d, &word, 8);
            if (bits == 0) {
                d += 8;
                at += 8;
                continue;
            }
            std::size_t plain = firstToRewrite(p + at, bits);
            d += plain;
            at += plain;
        } else if (!needsRewriting(static_cast<unsigned char>(p[at]))) {
            *d++ = p[at++];
            continue;
        }
        if (isMarkerAt(piece, at)) {
            *d++ = piece[at + 2] == '%' ? '(' : ')';
            at += 3;
        } else if (p[at] == '#') {
            *d++ = '#';
            ++at;
        } else {
            std::string_view utf8 = macRomanAsUtf8(static_cast<unsigned char>(p[at]));
            std::memcpy(d, utf8.data(), utf8.size());
            d += utf8.size();
            ++at;
        }
    }
    out.resize(static_cast<std::size_t>(d - out.data()));
}

// Replaces every backslash-parenthesis pair by its marker. A parenthesis is
// escaped exactly when the byte before it is a backslash (a pair cannot
// overlap another), so one left-to-right pass does both replacements.
inline std::string_view UnspoolFilter::mask(std::string_view line) {
    const char* backslash = static_cast<const char*>(std::memchr(line.data(), '\\', line.size()));
    if (backslash == nullptr) return line;
    masked_.clear();
    std::size_t copied = 0;
    while (backslash != nullptr) {
        std::size_t at = static_cast<std::size_t>(backslash - line.data());
        if (at + 1 < line.size() && (line[at + 1] == '(' || line[at + 1] == ')')) {
            masked_.append(line.data() + copied, at - copied);
            masked_.append(line[at + 1] == '(' ? kOpenMarker : kCloseMarker);
            copied = at + 2;
        }
        std::size_t next = at + 1;
        backslash =
            static_cast<const char*>(std::memchr(line.data() + next, '\\', line.size() - next));
    }
    if (copied == 0) return line;  // backslashes, but no escaped parenthesis
    masked_.append(line.data() + copied, line.size() - copied);
    return masked_;
}

inline void UnspoolFilter::filterLine(std::string_view line, std::string& out) {
    const std::string_view masked = mask(line);
    constexpr auto npos = std::string_view::npos;

    // On a line that opens a text object, strings are looked for from the
    // character after the "B" on; a string before the "BT" is not seen.
    std::size_t searchStart = 0;
    std::size_t begin;
    bool end;
    findTextOperators(masked, begin, end);
    if (begin != npos) {
        ++textDepth_;
        searchStart = begin + 1;
    }

    if (textDepth_ > 0) {
        std::size_t open = masked.find('(', searchStart);
        std::size_t close = masked.find(')', searchStart);
        if (open != npos && close != npos) {
            // A whole string; a ")" before the "(" closes a string of earlier
            // lines, and only the line break is written for it.
            if (open < close) appendUnmaskedText(masked.substr(open + 1, close - open - 1), out);
            out.append(kLineBreak);
        } else if (open != npos) {
            appendUnmaskedText(masked.substr(open + 1), out);
            ++openStrings_;
        } else if (openStrings_ > 0) {
            if (close != npos) {
                appendUnmaskedText(masked.substr(0, close), out);
                out.append(kLineBreak);
                --openStrings_;
            } else {
                appendUnmaskedText(masked, out);
            }
        }
    }

    // Examined after the strings, so a line holding both "BT" and "ET" is
    // filtered with the raised depth.
    if (end) --textDepth_;
}

}  // namespace leafwright::former
