#include "core/text/raw_text_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/platform/text_file_reader.h"
#include "core/text/line_starts.h"
#include "core/text/source_text.h"
#include "core/text/text_encoding.h"
#include "support/source_lines.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

struct Reading {
    std::uint64_t lines = 0;
    bool utf8 = true;
    bool byteOrderMark = false;
    bool operator==(const Reading&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Reading& r) {
    return out << "{lines " << r.lines << ", utf8 " << r.utf8 << ", bom " << r.byteOrderMark << "}";
}

// What a line-by-line reading of the file finds.
Reading readLineByLine(const std::string& path) {
    TextFileReader reader(path);
    Reading result;
    std::string_view line;
    while (reader.readLine(line)) {
        if (result.lines++ == 0) result.byteOrderMark = line.starts_with(kUtf8ByteOrderMark);
        if (!isAscii(line) && countUtf8Characters(line) == kNotUtf8) result.utf8 = false;
    }
    return result;
}

Reading scanInBlocks(std::string_view bytes, const std::vector<std::size_t>& cuts) {
    RawTextScan scan;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        scan.add(bytes.substr(from, cut - from));
        from = cut;
    }
    scan.add(bytes.substr(from));
    return {scan.lineCount(), scan.isUtf8(), scan.startsWithByteOrderMark()};
}

const std::vector<std::string> kTrickyTexts = {
    "",
    "\n",
    "a",
    "a\n",
    "a\r\n",
    "\r",
    "\n\n\r\n",
    "one\r\ntwo\rthree\nno final line end",
    "ab\x1A"
    "cd\nef\n",
    "\x1A"
    "after",
    "x\xE2\x82\x1A\xAC\n",       // 0x1A inside a character
    "\xE2\x82\xAC\x1A\xFF\xFE",  // malformed only after the 0x1A
    "x\xE2\x82\xAC\n\xC3\xA9 \xF0\x9F\x98\x80",
    "ok\n\xC3",        // malformed at the very end
    "ok\xE2\x82",      // cut short at the very end
    "\xE2\n\x82\xAC",  // a line end inside a character
    "\xE2\r\n\x82\xAC",
    "\x82"
    "abc",  // starts with a continuation byte
    "a\xF0\x9F\x98\x80\x80"
    "b",  // one continuation byte too many
    "\xC3\xA9\xA9\xA9\xA9\xA9",
    "\xED\xA0\x80",      // surrogate
    "\xC0\x80",          // overlong
    "\xF4\x90\x80\x80",  // above U+10FFFF
    "\xF8\x88\x80\x80\x80",
    "caf\xE9\n",  // Windows-1252
    "\xEF\xBB\xBFhi\n",
    "\xEF\xBB\xBF",
    "\xEF\xBB\n\xBF",
    "\xEF\xBB\xBF\xFF\n",
};

TEST(RawTextScan, AgreesWithLineByLineReadingHoweverTheBytesAreCut) {
    TempDir dir;
    for (const std::string& text : kTrickyTexts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        testing::writeBytes(dir.file("t.txt"), text);
        Reading expected = readLineByLine(dir.file("t.txt"));
        std::string_view input = std::string_view(text).substr(0, text.find('\x1A'));

        EXPECT_EQ(scanInBlocks(input, {}), expected);
        for (std::size_t size = 1; size <= 5; ++size) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = size; at < input.size(); at += size) cuts.push_back(at);
            EXPECT_EQ(scanInBlocks(input, cuts), expected) << "blocks of " << size;
        }
        for (std::size_t first = 0; first <= input.size(); ++first)
            for (std::size_t second = first; second <= input.size(); ++second)
                EXPECT_EQ(scanInBlocks(input, {first, second}), expected)
                    << "cut at " << first << " and " << second;
    }
}

// Every line start a scan keeps must be one, with the right number of lines
// before it, however the blocks fall and when the text is scanned in two
// parts; and there must be about one per spacing of text.
void expectTrueLineStarts(std::string_view text, const LineStarts& starts) {
    std::size_t kept = 0;
    LineStarts::Start start;
    for (std::uint64_t line = 0; starts.nearestAtOrAfter(line, start); line = start.line + 1) {
        ASSERT_GT(start.offset, 0u);
        ASSERT_LE(start.offset, text.size());
        ASSERT_EQ(text[start.offset - 1], '\n') << "offset " << start.offset;
        ASSERT_EQ(std::count(text.begin(), text.begin() + static_cast<long>(start.offset), '\n'),
                  static_cast<long>(start.line));
        LineStarts::Start before;
        ASSERT_TRUE(starts.nearestAtOrBefore(start.line, before));
        EXPECT_EQ(before.offset, start.offset);
        ++kept;
    }
    EXPECT_EQ(kept, starts.size());
    EXPECT_GE(kept, text.size() / LineStarts::kFirstSpacing / 4);
}

TEST(RawTextScan, KeptLineStartsAreLineStartsHoweverTheTextIsCut) {
    std::mt19937 random(5);
    for (int round = 0; round < 6; ++round) {
        std::string text;
        while (text.size() < 600'000) {
            const std::size_t length = random() % 40 == 0 ? random() % 50'000 : random() % 120;
            text.append(length, static_cast<char>('a' + random() % 26));
            text += random() % 3 ? "\n" : "\r\n";
        }
        SCOPED_TRACE(round);
        RawTextScan whole;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t size = 1 + random() % (round % 2 ? 100'000 : 5'000);
            whole.add(std::string_view(text).substr(at, size));
            at += size;
        }
        expectTrueLineStarts(text, whole.lineStarts());

        const std::size_t cut = text.find('\n', random() % text.size()) + 1;
        RawTextScan first, rest;
        first.add(std::string_view(text).substr(0, cut));
        rest.startAfterALine();
        rest.add(std::string_view(text).substr(cut));
        first.merge(rest);
        EXPECT_EQ(first.lineCount(), whole.lineCount());
        expectTrueLineStarts(text, first.lineStarts());
    }
}

// However long a text, the starts kept stay few, spread over all of it.
TEST(LineStarts, AVeryLongTextKeepsFewStartsSpreadOverIt) {
    LineStarts starts;
    std::uint64_t line = 0;
    for (int i = 0; i < 200'000; ++i) starts.keep({starts.wantedFrom() + 10, line += 7});
    EXPECT_LE(starts.size(), LineStarts::kMostKept);
    EXPECT_GE(starts.size(), LineStarts::kMostKept / 2);
    LineStarts::Start found;
    ASSERT_TRUE(starts.nearestAtOrBefore(line, found));
    EXPECT_GT(found.line, line - line / 1000);
    EXPECT_FALSE(starts.nearestAtOrBefore(6, found));
    EXPECT_FALSE(starts.nearestAtOrAfter(line + 1, found));
}

// The counting first pass and the measuring one (which reads line by line)
// must decide alike, also when a character or a line end straddles the
// reader's buffer.
TEST(RawTextScan, SourceTextCountsAsTheMeasuringPassDoes) {
    TempDir dir;
    std::vector<std::string> texts = kTrickyTexts;
    const std::string filler(1 << 20, 'a');
    for (std::size_t shift = 0; shift < 4; ++shift) {
        std::string head = filler.substr(0, filler.size() - shift);
        texts.push_back(head + "\xF0\x9F\x98\x80 more\n");
        texts.push_back(head + "\xF0\x9F\x98\n\x80");
        texts.push_back(head + "\r\n\xC3\xA9");
        texts.push_back(head + "\xE2\x82\x1A\xAC");
    }
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text.substr(0, 40)) + " size " +
                     std::to_string(text.size()));
        testing::writeBytes(dir.file("t.txt"), text);
        TextFileReader counted(dir.file("t.txt"));
        TextFileReader measured(dir.file("t.txt"));
        SourceText byCount(counted, SourceText::Measures::LineCount);
        SourceText bySize(measured, SourceText::Measures::LineSizes);
        EXPECT_EQ(byCount.summary().lineCount, bySize.summary().lineCount);
        EXPECT_EQ(byCount.summary().encoding, bySize.summary().encoding);

        // The second pass hands out the same lines, the byte-order mark
        // dropped alike.
        std::string countedLines, measuredLines;
        while (testing::appendNextLine(byCount, countedLines)) countedLines += '\n';
        while (testing::appendNextLine(bySize, measuredLines)) measuredLines += '\n';
        EXPECT_EQ(countedLines, measuredLines);
    }
}

}  // namespace
}  // namespace leafwright
