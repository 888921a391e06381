#include "core/pdf/document_info.h"

#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

void appendUtf16Unit(std::string& out, char32_t unit) {
    out.push_back(static_cast<char>((unit >> 8) & 0xFF));
    out.push_back(static_cast<char>(unit & 0xFF));
}

std::string toUtf16BigEndian(std::string_view value) {
    std::string bytes = "\xFE\xFF";
    for (char32_t character : decodeText(value)) {
        if (character >= 0x10000) {
            character -= 0x10000;
            appendUtf16Unit(bytes, 0xD800 + (character >> 10));
            appendUtf16Unit(bytes, 0xDC00 + (character & 0x3FF));
        } else {
            appendUtf16Unit(bytes, character);
        }
    }
    return bytes;
}

}  // namespace

std::string documentInfoString(std::string_view value) {
    std::string raw = isAscii(value) ? std::string(value) : toUtf16BigEndian(value);
    std::string escaped;
    escaped.reserve(raw.size() + 8);
    for (char c : raw) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '(':
                escaped += "\\(";
                break;
            case ')':
                escaped += "\\)";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped.push_back(c);
        }
    }
    return escaped;
}

}  // namespace leafwright
