#include "pdf/mac_roman.h"

#include <algorithm>
#include <cstdint>

namespace leafwright {

namespace {

// Unicode character of each code from 0x80 to 0xFF in the PDF MacRomanEncoding.
// A zero marks the codes that encoding leaves without a glyph (mathematical
// signs and the maker's logo of the Mac character set), which are never
// written. 0xCA is the space that a no-break space maps to, and 0xDB is the
// currency sign, as PDF defines them.
constexpr char32_t kHighCodes[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0,      0x00C6, 0x00D8,  // A8
    0,      0x00B1, 0,      0,      0x00A5, 0x00B5, 0,      0,       // B0
    0,      0,      0,      0x00AA, 0x00BA, 0,      0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0,      0x0192, 0,      0,      0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0,       // D0
    0x00FF, 0x0178, 0x2044, 0x00A4, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0,      0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

// Unicode characters of the Windows-1252 bytes 0x80 to 0x9F; zero where the
// code page defines none. From 0xA0 on it agrees with Latin-1.
constexpr char32_t kWindows1252Controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98
};

struct Pair {
    char32_t character;
    char code;
};

// Characters below U+0100 by direct look-up, the few above by search.
struct ReverseTable {
    std::array<char, 256> latin{};
    std::array<Pair, 128> others{};
    std::size_t otherCount = 0;

    ReverseTable() {
        for (int c = 0; c < 256; ++c) latin[c] = c < 0x80 ? static_cast<char>(c) : '?';
        for (int i = 0; i < 128; ++i) {
            char32_t character = kHighCodes[i];
            if (character == 0) continue;
            char code = static_cast<char>(0x80 + i);
            if (character < 0x100)
                latin[character] = code;
            else
                others[otherCount++] = {character, code};
        }
        std::sort(others.begin(), others.begin() + static_cast<std::ptrdiff_t>(otherCount),
                  [](const Pair& a, const Pair& b) { return a.character < b.character; });
    }
};

const ReverseTable& reverseTable() {
    static const ReverseTable table;
    return table;
}

}  // namespace

char macRomanCode(char32_t character) {
    const ReverseTable& table = reverseTable();
    if (character < 0x100) return table.latin[character];
    auto end = table.others.begin() + static_cast<std::ptrdiff_t>(table.otherCount);
    auto found = std::lower_bound(table.others.begin(), end, character,
                                  [](const Pair& p, char32_t c) { return p.character < c; });
    return found != end && found->character == character ? found->code : '?';
}

char32_t windows1252Character(unsigned char byte) {
    if (byte < 0x80 || byte >= 0xA0) return byte;
    char32_t character = kWindows1252Controls[byte - 0x80];
    return character == 0 ? U'?' : character;
}

const std::array<char, 256>& windows1252ToMacRoman() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> result{};
        for (int byte = 0; byte < 256; ++byte)
            result[byte] = macRomanCode(windows1252Character(static_cast<unsigned char>(byte)));
        return result;
    }();
    return table;
}

}  // namespace leafwright
