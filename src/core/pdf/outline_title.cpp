#include "core/pdf/outline_title.h"

#include <vector>

#include "core/fonts/hex_text.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

// Characters with the same code in PDFDocEncoding as in Unicode: printable
// ASCII and Latin-1 from U+00A1 on, but for the soft hyphen (which
// PDFDocEncoding leaves undefined).
bool samePdfDocCode(char32_t character) {
    return (character >= 0x20 && character <= 0x7E) ||
           (character >= 0xA1 && character <= 0xFF && character != 0xAD);
}

void appendOctal(std::string& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

}  // namespace

std::string outlineTitleString(std::string_view utf8) {
    std::vector<char32_t> characters;
    bool pdfDoc = true;
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t character = 0;
        at += decodeCharacter(utf8, at, SourceEncoding::Utf8, character);
        characters.push_back(character);
        pdfDoc = pdfDoc && samePdfDocCode(character);
    }
    std::string out;
    if (pdfDoc) {
        out += '(';
        for (char32_t character : characters) {
            if (character == '(' || character == ')' || character == '\\') out += '\\';
            if (character < 0x80)
                out += static_cast<char>(character);
            else
                appendOctal(out, static_cast<unsigned char>(character));
        }
        out += ')';
        return out;
    }
    out += "<FEFF";
    for (char32_t character : characters) appendUtf16Hex(out, character);
    out += '>';
    return out;
}

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace leafwright
