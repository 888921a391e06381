#pragma once

#include <cstddef>
#include <string>

namespace leafwright::testing {

// The text with its white space left out: what a text extractor must give
// back whatever spacing it infers.
inline std::string withoutWhiteSpace(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f') out += c;
    return out;
}

// The text with each "\n" written as CR LF, as the PDF writer and Unspool
// end their lines.
inline std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 20);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// Where two texts part, with a little of each from there; empty when equal.
inline std::string whereTheyPart(const std::string& got, const std::string& expected) {
    if (got == expected) return "";
    std::size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    const std::size_t from = at < 30 ? 0 : at - 30;
    return "at byte " + std::to_string(at) + ": got \"" + got.substr(from, 90) + "\", expected \"" +
           expected.substr(from, 90) + "\"";
}

// How many times sought stands in text, overlapping ones counted.
inline std::size_t occurrences(const std::string& text, const std::string& sought) {
    std::size_t count = 0;
    for (std::size_t at = text.find(sought); at != std::string::npos;
         at = text.find(sought, at + 1))
        ++count;
    return count;
}

}  // namespace leafwright::testing
