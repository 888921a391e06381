#include "core/text/mac_roman_encode.h"

#include <algorithm>
#include <cstdint>

#include "core/text/mac_roman_table.h"

namespace leafwright {

namespace {

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
        for (int byte = 0x80; byte < 0x100; ++byte) {
            if (!macRomanHasGlyph(static_cast<unsigned char>(byte))) continue;
            char32_t character = macRomanCharacter(static_cast<unsigned char>(byte));
            char code = static_cast<char>(byte);
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
    // The five bytes Windows-1252 leaves undefined are read as the C1
    // controls of the same numbers, as Windows and web browsers read them:
    // they print as nothing and come back as they were.
    char32_t character = kWindows1252Controls[byte - 0x80];
    return character == 0 ? char32_t{byte} : character;
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
