#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/pdf/content_stream.h"
#include "core/platform/text_file_reader.h"
#include "core/text/mac_roman_encode.h"
#include "core/text/source_text.h"
#include "core/text/text_encoding.h"
#include "support/source_lines.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

// Byte by byte, the plain way: what the word-at-a-time code must match.
std::string referenceEncoding(std::string_view line, SourceEncoding encoding) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    for (std::size_t i = 0; i < line.size();) {
        unsigned char byte = p[i];
        if (byte == '\\' || byte == '(' || byte == ')') {
            out += '\\';
            out += static_cast<char>(byte);
            ++i;
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
        } else if (encoding == SourceEncoding::Windows1252) {
            out += windows1252ToMacRoman()[byte];
            ++i;
        } else {
            std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            std::string_view sequence = line.substr(i, length);
            std::u32string decoded = countUtf8Characters(sequence) == 1 && sequence.size() == length
                                         ? decodeText(sequence)
                                         : std::u32string();
            out += decoded.size() == 1 ? macRomanCode(decoded[0]) : '?';
            i += decoded.size() == 1 ? length : 1;
        }
    }
    return out;
}

// Lines mixing plain bytes, the escaped ones, their look-alikes with the high
// bit set (0xDC, 0xA8, 0xA9) and UTF-8 sequences, at every alignment.
TEST(EncodedEscaping, MatchesTheByteByByteReadingOnRandomLines) {
    const std::string pieces[] = {"a",    "plain text ", "\\",           "(",
                                  ")",    "\xDC",        "\xA8",         "\xA9",
                                  "\xE9", "\xC3\xA9",    "\xE2\x80\x94", "\xF0\x9F\x98\x80",
                                  "\xC3", "\x7F",        "12345678"};
    std::mt19937 random(42);
    for (int round = 0; round < 3000; ++round) {
        std::string line;
        int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i) line += pieces[random() % std::size(pieces)];
        for (SourceEncoding encoding : {SourceEncoding::Utf8, SourceEncoding::Windows1252}) {
            std::string out = "kept:";
            appendEncodedEscaped(out, line, encoding);
            ASSERT_EQ(out, "kept:" + referenceEncoding(line, encoding)) << line;
        }
        std::size_t escapes = 0;
        for (char c : line) escapes += c == '\\' || c == '(' || c == ')';
        ASSERT_EQ(countEscapedBytes(line), escapes) << line;
    }
}

// Whole ASCII lines go from the reader's buffer in one pass; every other line
// piece by piece. On random texts (line ends of every kind, lines longer than
// the buffer, bytes above 0x7F now and then, a 0x1A), the content must be
// what reading the lines one by one gives, wherever the buffer is spilled.
TEST(EncodedEscaping, WholeLinesAtOnceMatchTheLineByLineReading) {
    TempDir dir;
    const std::string pieces[] = {"word ", "(",    ")",  "\\", "\n",   "\r\n",
                                  "\r",    "\n\n", "\t", "42", "\xE9", "\xC3\xA9"};
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round) {
        std::string text;
        const bool ascii = round % 3 != 0;
        while (text.size() < 200'000) {
            const std::string& piece = pieces[random() % (ascii ? 10 : std::size(pieces))];
            text += random() % 400 == 0 ? std::string(70'000, 'L') : piece;
        }
        if (round % 7 == 0) text.insert(random() % text.size(), "\x1A");
        testing::writeBytes(dir.file("t.txt"), text);
        SCOPED_TRACE(round);

        TextFileReader byLine(dir.file("t.txt"));
        SourceText lines(byLine, SourceText::Measures::LineCount);
        std::string expected, line;
        while (testing::appendNextLine(lines, line)) {
            expected +=
                std::string(ContentFrame::kLineStart) + line + std::string(ContentFrame::kLineEnd);
            line.clear();
        }
        TextFileReader atOnce(dir.file("t.txt"));
        SourceText source(atOnce, SourceText::Measures::LineCount);
        std::string produced, buffer;
        const std::size_t spillAt = 1 + random() % 100'000;
        ASSERT_TRUE(produceLines(source, source.summary().lineCount, buffer, spillAt,
                                 [&](std::string_view bytes) {
                                     produced += bytes;
                                     return true;
                                 }));
        produced += buffer;
        ASSERT_EQ(produced, expected);
        source.expectEnd();
    }
}

}  // namespace
}  // namespace leafwright
