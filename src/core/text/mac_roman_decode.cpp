#include "core/text/mac_roman_decode.h"

#include <array>

#include "core/text/mac_roman_table.h"

namespace leafwright {

namespace {

// The UTF-8 form of every byte, worked out once: decoding is a look-up.
struct Utf8Form {
    char bytes[3];
    unsigned char length;
};

constexpr Utf8Form utf8Form(char32_t code) {
    // Every code point here lies below U+10000: one to three bytes.
    if (code < 0x80) return {{static_cast<char>(code), 0, 0}, 1};
    if (code < 0x800)
        return {{static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F)), 0},
                2};
    return {{static_cast<char>(0xE0 | (code >> 12)), static_cast<char>(0x80 | ((code >> 6) & 0x3F)),
             static_cast<char>(0x80 | (code & 0x3F))},
            3};
}

constexpr std::array<Utf8Form, 256> makeUtf8Forms() {
    std::array<Utf8Form, 256> forms{};
    for (unsigned byte = 0; byte < 256; ++byte)
        forms[byte] = utf8Form(macRomanCharacter(static_cast<unsigned char>(byte)));
    return forms;
}

constexpr std::array<Utf8Form, 256> kUtf8Forms = makeUtf8Forms();

}  // namespace

std::string_view macRomanAsUtf8(unsigned char byte) {
    const Utf8Form& form = kUtf8Forms[byte];
    return std::string_view(form.bytes, form.length);
}

void appendMacRomanAsUtf8(unsigned char byte, std::string& out) {
    out.append(macRomanAsUtf8(byte));
}

}  // namespace leafwright
