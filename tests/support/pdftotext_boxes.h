#pragma once

// Where poppler's pdftotext -bbox finds each word of a document, for the
// tests that judge a layout from outside.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/run_process.h"

namespace leafwright::testing {

struct Word {
    int page = 0;                                   // from 1
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // from the page's top
    std::string text;
};

inline double bboxAttribute(const std::string& line, const char* name) {
    const std::size_t at = line.find(std::string(name) + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + std::strlen(name) + 2));
}

inline std::vector<Word> wordsOf(const std::string& pdf) {
    const ProcessResult boxes = runProcess({"pdftotext", "-bbox", pdf, "-"});
    EXPECT_EQ(boxes.exitStatus, 0) << boxes.err;
    std::vector<Word> words;
    int page = 0;
    for (const std::string& line : splitLines(boxes.out)) {
        if (line.find("<page ") != std::string::npos) ++page;
        const std::size_t open = line.find("\">");
        const std::size_t close = line.find("</word>");
        if (line.find("<word ") == std::string::npos || open == std::string::npos ||
            close == std::string::npos)
            continue;
        words.push_back({page, bboxAttribute(line, "xMin"), bboxAttribute(line, "yMin"),
                         bboxAttribute(line, "xMax"), bboxAttribute(line, "yMax"),
                         line.substr(open + 2, close - open - 2)});
    }
    return words;
}

// The rightmost end of a word that pdftotext finds.
inline double rightmostWord(const std::string& pdf) {
    double rightmost = 0;
    for (const Word& word : wordsOf(pdf)) rightmost = std::max(rightmost, word.xMax);
    return rightmost;
}

}  // namespace leafwright::testing
