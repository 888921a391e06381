#pragma once

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

}  // namespace leafwright::testing
