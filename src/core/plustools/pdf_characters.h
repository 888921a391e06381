#pragma once

namespace leafwright {

// The character classes of PDF's syntax, shared by the readers of content
// lines, of objects and of CMaps.

constexpr bool isPdfWhiteSpace(unsigned char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

constexpr bool isPdfDelimiter(unsigned char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
           c == '}' || c == '/' || c == '%';
}

// A regular character: part of a name, number or operator.
constexpr bool isPdfRegular(unsigned char c) {
    return !isPdfWhiteSpace(c) && !isPdfDelimiter(c);
}

// The value of a hexadecimal digit, or -1.
constexpr int hexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace leafwright
