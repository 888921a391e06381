#include "core/text/line_size_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/platform/text_file_reader.h"
#include "core/text/source_text.h"
#include "core/text/text_encoding.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

struct Sizes {
    std::uint64_t lines = 0;
    SourceEncoding encoding = SourceEncoding::Utf8;
    std::uint64_t widest = 0;
    std::uint64_t body = 0;
    bool operator==(const Sizes&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sizes& s) {
    return out << "{lines " << s.lines << ", utf8 " << (s.encoding == SourceEncoding::Utf8)
               << ", widest " << s.widest << ", body " << s.body << "}";
}

// What the written document holds: every line read one by one and turned
// into its string body.
Sizes encodeLineByLine(const std::string& path, SourceEncoding encoding) {
    TextFileReader reader(path);
    Sizes result;
    result.encoding = encoding;
    std::string_view line;
    while (reader.readLine(line)) {
        if (result.lines++ == 0 && encoding == SourceEncoding::Utf8 &&
            line.starts_with(kUtf8ByteOrderMark))
            line.remove_prefix(kUtf8ByteOrderMark.size());
        std::string body;
        appendEncodedEscaped(body, line, encoding);
        result.widest = std::max<std::uint64_t>(result.widest, body.size());
        result.body += body.size();
    }
    return result;
}

Sizes scanInBlocks(std::string_view bytes, const std::vector<std::size_t>& cuts,
                   SourceEncoding encoding) {
    LineSizeScan scan;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        scan.add(bytes.substr(from, cut - from));
        from = cut;
    }
    scan.add(bytes.substr(from));
    scan.finish();
    return {scan.lineCount(), encoding, scan.widestLine(encoding), scan.bodyBytes(encoding)};
}

const std::vector<std::string> kTrickyTexts = {
    "",
    "\n",
    "\n\n\n",
    "a",
    "\r",
    "a\r\n",
    "\r\r\n\r",
    "one\r\ntwo\rthree\nno final line end\r",
    "ab\x1A"
    "cd\nef\n",
    "\x1A"
    "after",
    "short\n(((\\\\)))\nx\n",
    "a line much wider than the next\n()\n",
    "\\\\\\\\\\\\\\\\(((((((()))))))))\nabcdefghijklmnopqrstuvwxyz0123\n",
    "x\xE2\x82\xAC\n\xC3\xA9 \xF0\x9F\x98\x80(\n",
    "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\nabcde\n",
    "caf\xE9(\r\nna\xEFve\n",  // Windows-1252
    "\xEF\xBB\xBFhi\n",
    "\xEF\xBB\xBF",
    "\xEF\xBB\xBF\r\n",
    "\xEF\xBB\xBF\xE2\x82\xAC\xE2\x82\xAC\nabc\n",
    "\xEF\xBB\n\xBF",
    "\xEF\xBB\xBF\xFF\nlonger line\n",
};

// However the bytes come cut into blocks, a line end, a CR before it, a
// character or an escaped byte straddling a cut must count as when the lines
// are read and encoded one by one.
TEST(LineSizeScan, MeasuresAsLineByLineEncodingHoweverTheBytesAreCut) {
    TempDir dir;
    for (const std::string& text : kTrickyTexts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        testing::writeBytes(dir.file("t.txt"), text);
        std::string_view input = std::string_view(text).substr(0, text.find('\x1A'));
        LineSizeScan whole;
        whole.add(input);
        std::vector<SourceEncoding> encodings = {SourceEncoding::Windows1252};
        if (whole.isUtf8()) encodings.push_back(SourceEncoding::Utf8);
        for (SourceEncoding encoding : encodings) {
            Sizes expected = encodeLineByLine(dir.file("t.txt"), encoding);
            EXPECT_EQ(scanInBlocks(input, {}, encoding), expected);
            for (std::size_t size = 1; size <= 3; ++size) {
                std::vector<std::size_t> cuts;
                for (std::size_t at = size; at < input.size(); at += size) cuts.push_back(at);
                EXPECT_EQ(scanInBlocks(input, cuts, encoding), expected) << "blocks of " << size;
            }
            for (std::size_t first = 0; first <= input.size(); ++first)
                for (std::size_t second = first; second <= input.size(); ++second)
                    EXPECT_EQ(scanInBlocks(input, {first, second}, encoding), expected)
                        << "cut at " << first << " and " << second;
        }
    }
}

// The summary a file's document is laid out by matches the lines written,
// also when a line straddles the reader's buffer.
TEST(LineSizeScan, SummaryOfAFileMatchesItsEncodedLines) {
    TempDir dir;
    std::vector<std::string> texts = kTrickyTexts;
    const std::string filler(1 << 20, 'a');
    for (std::size_t shift = 0; shift < 3; ++shift) {
        std::string head = filler.substr(0, filler.size() - shift);
        texts.push_back("x\n" + head + "\r\n((\xC3\xA9\n");
        texts.push_back("\xEF\xBB\xBF" + head + "\xE2\x82\xAC\r");
        texts.push_back(head + "\\)\xE9\n" + head + "\r\r\n");
    }
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text.substr(0, 40)) + " size " +
                     std::to_string(text.size()));
        testing::writeBytes(dir.file("t.txt"), text);
        TextFileReader file(dir.file("t.txt"));
        SourceText fromFile(file, SourceText::Measures::LineSizes);
        const SourceSummary& summary = fromFile.summary();
        Sizes measured{summary.lineCount, summary.encoding, summary.widestLine, summary.bodyBytes};
        Sizes expected = encodeLineByLine(dir.file("t.txt"), summary.encoding);
        // A source that is only a byte-order mark holds no line at all.
        if (text.substr(0, text.find('\x1A')) == kUtf8ByteOrderMark) expected.lines = 0;
        EXPECT_EQ(measured, expected);
    }
}

}  // namespace
}  // namespace leafwright
