#include "core/text/text_encoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "core/text/mac_roman_encode.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace leafwright {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// What a byte needs on its way into a PDF string: 0 nothing, 1 a backslash
// before it, 2 translation (a byte above 0x7F).
constexpr std::array<unsigned char, 256> kByteClass = [] {
    std::array<unsigned char, 256> table{};
    for (char c : kEscapedInStrings) table[static_cast<unsigned char>(c)] = 1;
    for (int b = 0x80; b < 0x100; ++b) table[b] = 2;
    return table;
}();

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// The high bit of each zero byte of the word, exactly.
constexpr std::uint64_t zeroBytes(std::uint64_t word) {
    constexpr std::uint64_t kLowBits = ~kHighBits;
    return ~(((word & kLowBits) + kLowBits) | word | kLowBits);
}

// The high bit of each byte of the word that is one of kEscapedInStrings.
constexpr std::uint64_t escapedBytes(std::uint64_t word) {
    static_assert(kEscapedInStrings.size() == 3);
    return zeroBytes(word ^ (kOnes * static_cast<unsigned char>(kEscapedInStrings[0]))) |
           zeroBytes(word ^ (kOnes * static_cast<unsigned char>(kEscapedInStrings[1]))) |
           zeroBytes(word ^ (kOnes * static_cast<unsigned char>(kEscapedInStrings[2])));
}

// The high bit of each byte of the word that needs more than copying: an
// escaped byte or a byte above 0x7F. Lets plain text go eight bytes a step.
constexpr std::uint64_t workBytes(std::uint64_t word) {
    return (word & kHighBits) | escapedBytes(word);
}

// The number of bytes whose high bit is set in a word that has no other bits
// set; without a population-count instruction in the baseline x86-64 set,
// std::popcount would be a library call.
constexpr std::size_t markedBytes(std::uint64_t highBits) {
    return static_cast<std::size_t>(((highBits >> 7) * kOnes) >> 56);
}

#if defined(__SSE2__)
// The same for sixteen bytes at once, one bit a byte (SSE2 is part of every
// x86-64 processor): an escaped byte or one above 0x7F.
unsigned workBytes16(__m128i bytes) {
    static_assert(kEscapedInStrings.size() == 3);
    const __m128i escaped =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kEscapedInStrings[0])),
                                  _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kEscapedInStrings[1]))),
                     _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kEscapedInStrings[2])));
    // The mask takes each byte's high bit: set for an escaped byte (all
    // ones) and for a byte above 0x7F.
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(escaped, bytes)));
}

// Stores the sixteen bytes at p to d (the caller has the room) and returns
// how many come before the first that needs work, or, with stopAtLineFeed,
// is a line feed: 16 when none does.
std::size_t copyPlainBytes16(const unsigned char* p, char* d, bool stopAtLineFeed) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned work = workBytes16(bytes);
    if (stopAtLineFeed)
        work |=
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), bytes);
    return work == 0 ? 16 : static_cast<std::size_t>(std::countr_zero(work));
}
#endif

std::uint64_t load(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// The index of the first byte of the eight at p that needs work, given their
// workBytes (not zero).
std::size_t firstWorkByte(const unsigned char* p, std::uint64_t work) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<std::size_t>(std::countr_zero(work)) / 8;
    } else {
        std::size_t k = 0;
        while (kByteClass[p[k]] == 0) ++k;
        return k;
    }
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one UTF-8 sequence that starts with a byte above 0x7F. Returns the
// number of bytes it takes, or 0 when it is malformed.
std::size_t decodeSequence(const unsigned char* p, std::size_t available, char32_t& character) {
    if (const std::size_t length = decodeShortUtf8(p, available, character)) return length;
    // Else only four bytes, U+10000 to U+10FFFF, are well formed.
    const unsigned char lead = p[0];
    if (lead < 0xF0 || lead > 0xF4 || available < 4) return 0;
    char32_t decoded = lead & 0x07;
    for (std::size_t i = 1; i < 4; ++i) {
        if (!isContinuation(p[i])) return 0;
        decoded = (decoded << 6) | (p[i] & 0x3F);
    }
    if (decoded < 0x10000 || decoded > 0x10FFFF) return 0;
    character = decoded;
    return 4;
}

}  // namespace

std::string comparableEncodingName(std::string_view name) {
    std::string result;
    for (char c : name)
        if (c != '-' && c != '_')
            result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool isAscii(std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    std::uint64_t seen = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        seen |= word;
    }
    for (; n > 0; ++p, --n) seen |= static_cast<unsigned char>(*p);
    return (seen & kHighBits) == 0;
}

std::size_t countUtf8Characters(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t n = bytes.size();
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < n) {
        // Runs of ASCII go eight bytes at a time.
        if (n - i >= 8 && (load(p + i) & kHighBits) == 0) {
            i += 8;
            characters += 8;
            continue;
        }
        // The characters of most alphabets are told inline.
        char32_t ignored;
        std::size_t length = decodeShortUtf8(p + i, n - i, ignored);
        if (length == 0) length = decodeSequence(p + i, n - i, ignored);
        if (length == 0) return kNotUtf8;
        i += length;
        ++characters;
    }
    return characters;
}

std::size_t countEscapedBytes(std::string_view line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    std::size_t count = 0;
    std::size_t i = 0;
    for (; n - i >= 8; i += 8) count += markedBytes(escapedBytes(load(p + i)));
    for (; i < n; ++i) count += kByteClass[p[i]] == 1;
    return count;
}

std::string escapeText(std::string_view bytes) {
    std::string escaped;
    escaped.reserve(bytes.size() + 8);
    escapeText(escaped, bytes);
    return escaped;
}

void appendEncodedEscaped(std::string& out, std::string_view line, SourceEncoding encoding) {
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    // No byte becomes more than two, so the room is made once and filled
    // through a pointer; plain text goes in eight bytes a store (the room
    // left is always at least twice the bytes left).
    const std::size_t start = out.size();
    out.resize(start + 2 * n);
    char* d = out.data() + start;
    std::size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        if (n - i >= 16) {
            const std::size_t plain = copyPlainBytes16(p + i, d, false);
            d += plain;
            i += plain;
            if (plain == 16) continue;
        } else
#endif
            if (n - i >= 8) {
            std::uint64_t word = load(p + i);
            std::uint64_t work = workBytes(word);
            std::memcpy(d, &word, 8);
            if (work == 0) {
                d += 8;
                i += 8;
                continue;
            }
            std::size_t plain = firstWorkByte(p + i, work);
            d += plain;
            i += plain;
        } else if (kByteClass[p[i]] == 0) {
            *d++ = static_cast<char>(p[i++]);
            continue;
        }
        // p[i] needs work.
        if (kByteClass[p[i]] == 1) {
            *d++ = '\\';
            *d++ = static_cast<char>(p[i++]);
        } else if (encoding == SourceEncoding::Windows1252) {
            *d++ = windows1252ToMacRoman()[p[i++]];
        } else {
            char32_t character;
            std::size_t length = decodeSequence(p + i, n - i, character);
            *d++ = length == 0 ? '?' : macRomanCode(character);
            i += length == 0 ? 1 : length;
        }
    }
    out.resize(static_cast<std::size_t>(d - out.data()));
}

// Room is made 64 bytes of input at a time (a line is short as a rule, and
// the bytes given may run far past its end), each at most doubling.
std::size_t appendEscapedAsciiLine(std::string& out, std::string_view bytes) {
    constexpr std::size_t kWindow = 64;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    const std::size_t mark = out.size();
    std::size_t written = mark;
    for (std::size_t i = 0; i < n;) {
        // Room for the window doubled, and for one whole store past it.
        out.resize(written + 2 * kWindow + 16);
        char* const base = out.data();
        char* d = base + written;
        const std::size_t windowEnd = std::min(n, i + kWindow);
        while (i < windowEnd) {
            unsigned char byte;
#if defined(__SSE2__)
            if (n - i >= 16) {
                const std::size_t plain = copyPlainBytes16(p + i, d, true);
                d += plain;
                i += plain;
                if (plain == 16) continue;
                byte = p[i];
            } else
#endif
            {
                byte = p[i];
                if (byte != '\n' && kByteClass[byte] == 0) {
                    *d++ = static_cast<char>(byte);
                    ++i;
                    continue;
                }
            }
            if (byte == '\n') {
                out.resize(static_cast<std::size_t>(d - base));
                return i;
            }
            if (kByteClass[byte] == 2) break;
            *d++ = '\\';
            *d++ = static_cast<char>(byte);
            ++i;
        }
        written = static_cast<std::size_t>(d - base);
        if (i < windowEnd) break;  // a byte above 0x7F
    }
    out.resize(mark);
    return kNotAnAsciiLine;
}

std::size_t decodeCharacter(std::string_view bytes, std::size_t at, SourceEncoding encoding,
                            char32_t& character) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    character = p[0];
    if (character < 0x80) return 1;
    if (encoding == SourceEncoding::Windows1252) {
        character = windows1252Character(p[0]);
        return 1;
    }
    std::size_t length = decodeSequence(p, bytes.size() - at, character);
    if (length == 0) character = U'?';
    return length == 0 ? 1 : length;
}

void appendUtf8(char32_t code, std::string& out) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(writeUtf8(code, bytes) - bytes));
}

bool isBeyondMacRoman(char32_t character) {
    // No character above 0x7F has the code of "?" itself.
    return character >= 0x80 && macRomanCode(character) == '?';
}

std::u32string decodeText(std::string_view text) {
    std::u32string result;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    bool utf8 = countUtf8Characters(text) != kNotUtf8;
    for (std::size_t i = 0; i < n;) {
        char32_t character = p[i];
        std::size_t length = 1;
        if (character >= 0x80) {
            if (utf8) {
                length = decodeSequence(p + i, n - i, character);
            } else {
                character = windows1252Character(p[i]);
            }
        }
        result.push_back(character);
        i += length;
    }
    return result;
}

}  // namespace leafwright
