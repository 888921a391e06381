#include "core/plustools/pdf_text_string.h"

#include <vector>

#include "core/plustools/to_unicode_map.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

// PDFDocEncoding where it differs from Latin-1: 0x18 to 0x1F and 0x80 to
// 0xA0; 0 stands for a byte it leaves undefined.
constexpr char16_t kLow[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr char16_t kHigh[33] = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212,
    0x2030, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141,
    0x0152, 0x0160, 0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0,      0x20AC};

char32_t pdfDocCharacter(unsigned char byte) {
    if (byte >= 0x18 && byte <= 0x1F) return kLow[byte - 0x18];
    if (byte >= 0x80 && byte <= 0xA0) return kHigh[byte - 0x80] == 0 ? 0xFFFD : kHigh[byte - 0x80];
    if (byte == 0x7F || byte == 0xAD) return 0xFFFD;
    return byte;
}

}  // namespace

std::string pdfTextStringToUtf8(std::string_view bytes) {
    std::string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        std::vector<char16_t> units;
        for (std::size_t at = 2; at + 1 < bytes.size(); at += 2)
            units.push_back(static_cast<char16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                                  static_cast<unsigned char>(bytes[at + 1])));
        if (bytes.size() % 2 != 0) units.push_back(0xFFFD);  // half a unit at the end
        appendUtf16AsUtf8(units.data(), units.size(), text);
        return text;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        const std::string_view utf8 = bytes.substr(3);
        for (std::size_t at = 0; at < utf8.size();) {
            char32_t character = 0;
            at += decodeCharacter(utf8, at, SourceEncoding::Utf8, character);
            appendUtf8(character, text);
        }
        return text;
    }
    for (char byte : bytes) appendUtf8(pdfDocCharacter(static_cast<unsigned char>(byte)), text);
    return text;
}

}  // namespace leafwright
