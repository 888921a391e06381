#include "plustools/unspool_filter.h"

#include <cstdint>
#include <cstring>

#include "plustools/mac_roman.h"

namespace leafwright {

namespace {

// An escaped "(" or ")" is replaced by one of these for the time a line is
// examined, so that only the string's own delimiters are found as
// parentheses. The same texts already present in a line are indistinguishable
// from them and come out as parentheses too.
constexpr std::string_view kOpenMarker = "#$%";
constexpr std::string_view kCloseMarker = "#$&";

constexpr std::string_view kLineBreak = "\r\n";

bool isMarkerAt(std::string_view text, std::size_t at) {
    return at + 2 < text.size() && text[at] == '#' && text[at + 1] == '$' &&
           (text[at + 2] == '%' || text[at + 2] == '&');
}

bool needsRewriting(char c) {
    return c == '#' || static_cast<unsigned char>(c) >= 0x80;
}

// The first position from `at` on whose byte needsRewriting, or the end.
// Eight bytes at a time while none of them is "#" or has its high bit set:
// most text is plain ASCII.
std::size_t nextToRewrite(std::string_view text, std::size_t at) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    constexpr std::uint64_t kHashes = 0x2323232323232323u;  // "#" in every byte
    while (at + 8 <= text.size()) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        std::uint64_t hash = word ^ kHashes;  // a zero byte where a "#" was
        if (((word | ((hash - kOnes) & ~hash)) & kHighBits) != 0) break;
        at += 8;
    }
    while (at < text.size() && !needsRewriting(text[at])) ++at;
    return at;
}

}  // namespace

void appendUnmaskedText(std::string_view piece, std::string& out) {
    std::size_t runStart = 0;
    for (std::size_t at = nextToRewrite(piece, 0); at < piece.size();
         at = nextToRewrite(piece, at)) {
        out.append(piece.data() + runStart, at - runStart);
        if (isMarkerAt(piece, at)) {
            out.push_back(piece[at + 2] == '%' ? '(' : ')');
            at += 3;
        } else if (piece[at] == '#') {
            out.push_back('#');
            ++at;
        } else {
            out.append(macRomanAsUtf8(static_cast<unsigned char>(piece[at])));
            ++at;
        }
        runStart = at;
    }
    out.append(piece.data() + runStart, piece.size() - runStart);
}

// Replaces every backslash-parenthesis pair by its marker. A parenthesis is
// escaped exactly when the byte before it is a backslash (a pair cannot
// overlap another), so one left-to-right pass does both replacements.
std::string_view UnspoolFilter::mask(std::string_view line) {
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
    masked_.append(line.data() + copied, line.size() - copied);
    return masked_;
}

void UnspoolFilter::filterLine(std::string_view line, std::string& out) {
    const std::string_view masked = mask(line);
    constexpr auto npos = std::string_view::npos;

    // On a line that opens a text object, strings are looked for from the
    // character after the "B" on; a string before the "BT" is not seen.
    std::size_t searchStart = 0;
    std::size_t begin = masked.find("BT");
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
    if (masked.find("ET") != npos) --textDepth_;
}

}  // namespace leafwright
