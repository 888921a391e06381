#pragma once

// Random PDF-like line documents that use none of the newer readings of the
// Unspool filter: at most one string on a line, literal strings only, no
// doubled backslash, no marker texts "#$%" and "#$&", and "BT" and "ET" only
// as operators. On these the filter must give what it gave before, byte for
// byte (former_unspool_filter.h). Shared by the unit tests and the fuzz
// target, which draws the choices from its input.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace leafwright::testing {

// Draws a number below `count` (count > 0).
using Choose = std::function<std::uint32_t(std::uint32_t count)>;

inline std::string referenceStringText(const Choose& choose) {
    static const char* const kPieces[] = {
        "a",   "b",    "T",    "B",    "E",    "x y", " ",     "\\(",   "\\)", "\\n", "\\101",
        "\\t", "#",    "$",    "%",    "&",    "<",   ">",     "/",     "[",   "]",   "'",
        "\"",  "\x8E", "\xA5", "\xDB", "\xFF", "\t",  "Hello", "world", "12"};
    for (;;) {
        std::string text;
        std::uint32_t count = choose(8);
        for (std::uint32_t k = 0; k < count; ++k)
            text += kPieces[choose(static_cast<std::uint32_t>(std::size(kPieces)))];
        if (text.find("BT") == std::string::npos && text.find("ET") == std::string::npos &&
            text.find("#$%") == std::string::npos && text.find("#$&") == std::string::npos)
            return text;
    }
}

inline std::vector<std::string> referenceDocument(const Choose& choose, std::uint32_t lineCount) {
    static const char* const kOperatorLines[] = {
        "/F1 14 Tf", "72 700 Td",      "14 TL",       "q",
        "Q",         "1 0 0 1 0 0 cm", "0 g",         "<< /Length 12 >>",
        "stream",    "endstream",      "3 0 obj",     "endobj",
        "%PDF-1.3",  "%%EOF",          "[0 1 2] 0 d", "",
        "   ",       "0.5 0.5 0.5 rg"};
    static const char* const kBefore[] = {"", "", "0 -14 Td ", "/F1 12 Tf ", "2 0 0 "};
    static const char* const kAfter[] = {"'", " Tj", "Tj", " '", "\"", " Tj ET", "' Q"};
    std::vector<std::string> lines;
    std::int64_t depth = 0;  // as both filters count it on these documents
    while (lines.size() < lineCount) {
        switch (choose(8)) {
            case 0:
                lines.push_back(choose(3) == 0 ? "BT /F1 12 Tf" : "BT");
                ++depth;
                break;
            case 1:
                lines.push_back(choose(2) == 0 ? "ET" : "Q ET");
                --depth;
                break;
            case 2:
                lines.push_back(kOperatorLines[choose(std::size(kOperatorLines))]);
                break;
            case 3:
                lines.push_back(std::string("/Title (") + referenceStringText(choose) + ")");
                break;
            case 4:
                lines.push_back(std::string("[(") + referenceStringText(choose) + ")" +
                                (choose(2) == 0 ? "" : " -250") + "] TJ");
                break;
            case 5:
                if (depth > 0) {
                    // A string over several lines.
                    lines.push_back(std::string("(") + referenceStringText(choose));
                    for (std::uint32_t k = choose(3); k > 0; --k)
                        lines.push_back(referenceStringText(choose));
                    lines.push_back(referenceStringText(choose) + ")'");
                    break;
                }
                [[fallthrough]];
            default: {
                std::string after = kAfter[choose(std::size(kAfter))];
                lines.push_back(kBefore[choose(std::size(kBefore))] + std::string("(") +
                                referenceStringText(choose) + ")" + after);
                if (after.find("ET") != std::string::npos) --depth;
                break;
            }
        }
    }
    return lines;
}

}  // namespace leafwright::testing
