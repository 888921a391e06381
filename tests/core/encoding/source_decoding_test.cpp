#include "core/encoding/source_decoding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/file_error.h"
#include "core/platform/text_file_reader.h"
#include "core/text/source_text.h"
#include "core/text/text_encoding.h"
#include "support/encoded_text.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::encodedAs;
using testing::TempDir;
using testing::writeBytes;

struct Reading {
    SourceDecoding decoding;
    std::string text;  // every line followed by "\n"
    std::uint64_t invalid = 0;
    std::string readIn;
};

// Reads a file as a conversion does: decodeSource, then the first pass and
// the lines of the second.
Reading readSource(const std::string& path, const std::string& encoding) {
    Reading reading;
    TextFileReader reader(path);
    reading.decoding = decodeSource(reader, encoding);
    SourceText source(reader, SourceText::Measures::LineSizes);
    std::string line;
    while (source.startLine()) {
        while (source.appendRawLinePiece(line)) {
        }
        reading.text += line + "\n";
        line.clear();
    }
    source.expectEnd();
    reading.invalid = reader.invalidSequences();
    reading.readIn = encodingReadIn(reading.decoding, source.summary().encoding);
    return reading;
}

Reading readBytes(const std::string& bytes, const std::string& encoding) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), bytes);
    return readSource(dir.file("source.txt"), encoding);
}

// One case of each family: single-byte tables, double-byte with ASCII
// second bytes, four-byte GB18030 (an emoji), 16- and 32-bit units in both
// byte orders, told by a byte-order mark, named or guessed. "К" in UTF-16LE
// holds the byte 0x1A, which ends the input only as a character.
TEST(SourceDecoding, ReadsEachFamilyOfEncodingsAsUtf8) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    struct Case {
        std::string text;
        std::string bytesIn;  // the encoding the file is written in
        std::string byteOrderMark;
        std::string named;   // the encoding asked for
        std::string readIn;  // the encoding reported
        bool guessed;
    };
    const std::string mixed =
        testing::kRussian + "Кадр 1A: К.\n" + testing::kJapanese + "Smile 😀, café.\n";
    const std::vector<Case> cases = {
        {testing::kRussian, "KOI8-R", "", "KOI8-R", "KOI8-R", false},
        {testing::kCzechAndPolish, "ISO-8859-2", "", "iso-8859-2", "iso-8859-2", false},
        {testing::kJapanese, "SHIFT_JIS", "", "Shift_JIS", "Shift_JIS", false},
        {testing::kChinese, "GB18030", "", "GB18030", "GB18030", false},
        {mixed, "UTF-16LE", "\xFF\xFE", "", "UTF-16LE", false},
        // The mark wins over the name.
        {mixed, "UTF-16BE", "\xFE\xFF", "KOI8-R", "UTF-16BE", false},
        {mixed, "UTF-16LE", "", "auto", "UTF-16LE", true},
        {mixed, "UTF-16LE", "", "UTF-16LE", "UTF-16LE", false},
        {mixed, "UTF-32BE", std::string("\0\0\xFE\xFF", 4), "", "UTF-32BE", false},
        {mixed, "UTF-32LE", std::string("\xFF\xFE\0\0", 4), "", "UTF-32LE", false},
        {mixed, "UTF-8", "", "UTF-8", "UTF-8", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytesIn + " asked as \"" + c.named + "\"");
        const Reading reading = readBytes(c.byteOrderMark + encodedAs(c.text, c.bytesIn), c.named);
        EXPECT_EQ(reading.text, c.text);
        EXPECT_EQ(reading.readIn, c.readIn);
        EXPECT_EQ(reading.decoding.guessed, c.guessed);
        EXPECT_EQ(reading.invalid, 0u);
    }
}

// Without a mark or a name, a source reads as always: UTF-8 when it is
// well-formed, otherwise Windows-1252; a UTF-8 mark is dropped.
TEST(SourceDecoding, WithoutAMarkOrANameTheUsualRuleHolds) {
    Reading utf8 = readBytes("caf\xC3\xA9\n", "");
    EXPECT_EQ(utf8.text, "caf\xC3\xA9\n");
    EXPECT_EQ(utf8.readIn, "UTF-8");
    Reading latin = readBytes("caf\xE9\n", "");
    EXPECT_EQ(latin.text, "caf\xE9\n");  // raw bytes, for the first pass to decode
    EXPECT_EQ(latin.readIn, "Windows-1252");
    Reading marked = readBytes(
        "\xEF\xBB\xBF"
        "caf\xC3\xA9\n",
        "KOI8-R");
    EXPECT_EQ(marked.text, "caf\xC3\xA9\n");
    EXPECT_EQ(marked.readIn, "UTF-8");
    // An ASCII text leads the guess nowhere else.
    Reading plain = readBytes("plain words\n", "auto");
    EXPECT_EQ(plain.readIn, "UTF-8");
    EXPECT_FALSE(plain.decoding.guessed);
}

// Each invalid sequence is one U+FFFD, counted: a lead byte without its
// second, a byte no character starts with, a sequence cut short by the end
// of the file, a lone surrogate, an odd last byte in UTF-16. When an
// encoding is named, a text that its mark declares UTF-8 stays UTF-8 when
// it is not well-formed (without a name it reads as Windows-1252, as always).
TEST(SourceDecoding, CountsInvalidSequencesAndShowsThemAsReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    struct Case {
        std::string bytes;
        std::string named;
        std::string text;
        std::uint64_t invalid;
    };
    const std::vector<Case> cases = {
        {"ab\x81 cd\n\x82\xA0\x81", "SHIFT_JIS",
         "ab" + replacement + " cd\n\xE3\x81\x82" + replacement + "\n", 2},
        {std::string("A\0\0\xD8"
                     "B\0\n\0\x41",
                     9),
         "UTF-16LE", "A" + replacement + "B\n" + replacement + "\n", 2},
        {"\xEF\xBB\xBF"
         "caf\xE9 \xE2\x82 ok\n",
         "KOI8-R", "caf" + replacement + " " + replacement + " ok\n", 2},
        {"\xED\xA0\x80 \xC0\xAF \xF4\x90\x80\x80\n", "UTF-8",
         replacement + replacement + replacement + " " + replacement + replacement + " " +
             replacement + replacement + replacement + replacement + "\n",
         9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        const Reading reading = readBytes(c.bytes, c.named);
        EXPECT_EQ(reading.text, c.text);
        EXPECT_EQ(reading.invalid, c.invalid);
    }
    const Reading marked = readBytes(
        "\xEF\xBB\xBF"
        "caf\xE9\n",
        "auto");
    EXPECT_EQ(marked.readIn, "UTF-8");
    EXPECT_EQ(decodingWarnings(marked.decoding, marked.readIn, marked.invalid),
              std::vector<std::string>{"1 byte sequence not valid in UTF-8 (shown as U+FFFD)"});
}

TEST(SourceDecoding, AnEncodingIconvDoesNotKnowIsRefusedNamingTheFile) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "text\n");
    EXPECT_FALSE(isKnownEncoding("NO-SUCH-ENCODING-9"));
    EXPECT_TRUE(isKnownEncoding("koi8-r"));
    EXPECT_TRUE(isKnownEncoding("auto"));
    EXPECT_TRUE(isKnownEncoding(""));
    TextFileReader reader(dir.file("a.txt"));
    try {
        decodeSource(reader, "NO-SUCH-ENCODING-9");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("a.txt"));
        EXPECT_EQ(error.cause(), "unknown encoding \"NO-SUCH-ENCODING-9\"");
    }
}

// Text made of the sentences of `sentences` (one a line) in an order of
// their own, `perLine` to a line, `lines` lines: long lines with no ASCII
// but the line feeds when the sentences have none.
std::string shuffledLines(const std::string& sentences, int perLine, int lines) {
    std::vector<std::string> parts;
    for (std::size_t start = 0, end; (end = sentences.find('\n', start)) != std::string::npos;
         start = end + 1)
        parts.push_back(sentences.substr(start, end - start));
    std::uint32_t state = 7;
    std::string text;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < perLine; ++i) {
            state = state * 1664525u + 1013904223u;
            text += parts[(state >> 16) % parts.size()];
        }
        text += "\n";
    }
    return text;
}

// UTF-16 without a byte-order mark whose characters lie beyond ASCII has
// few NUL bytes, and among them some of characters like U+4E00: it is told
// by the shape of its units, in both byte orders, for long lines of
// Chinese, lines of emoji (two units each), Russian, and a short sample of
// Japanese with ASCII in it.
TEST(SourceDecoding, GuessesUtf16OfAScriptBeyondAsciiWithoutAMark) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    const std::string chinese = shuffledLines(
        "一个人走在路上\n我们明天早上八点见面\n这条河的水比去年清澈多了\n一年又一年\n"
        "他每天骑自行车上班风雨无阻\n开门见山\n需要一个新的开始\n",
        12, 60);
    const std::string emojiLines = [] {
        std::string emoji;
        for (char32_t line = 0; line < 40; ++line) {
            for (char32_t c = U'\U0001F600' + line; c < U'\U0001F600' + line + 24; ++c)
                appendUtf8(c, emoji);
            emoji += "\n";
        }
        return emoji;
    }();
    const std::string russian = shuffledLines(testing::kRussian, 3, 30);
    const std::string japanese = testing::kJapanese.substr(0, testing::kJapanese.find('\n') + 1) +
                                 "(eula-id)\n" + testing::kJapanese;
    for (const std::string* text : {&chinese, &emojiLines, &russian, &japanese}) {
        for (const std::string order : {"UTF-16LE", "UTF-16BE"}) {
            const Reading reading = readBytes(encodedAs(*text, order), "auto");
            EXPECT_EQ(reading.readIn, order) << text->substr(0, 40);
            EXPECT_TRUE(reading.decoding.guessed);
            EXPECT_TRUE(reading.text == *text) << order << " " << text->substr(0, 40);
        }
    }
}

// Text in 8-bit and multi-byte encodings is never taken for UTF-16 or
// UTF-8, not even one line said again and again (its bytes at even and odd
// offsets then differ as UTF-16's do). Well-formed UTF-8 with a few
// accented names in English is UTF-8, which the statistics alone took for
// a single-byte encoding; a sequence the sample's end cuts short does not
// count against it. Bytes nothing tells are read as always, with a word.
TEST(SourceDecoding, GuessesUtf8OnlyForWellFormedTextAndUtf16OnlyForItsShape) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    std::string sameLine;
    for (int i = 0; i < 40; ++i) sameLine += "Кошка спит на подоконнике.\n";
    const std::pair<const std::string*, const char*> legacy[] = {
        {&testing::kRussian, "KOI8-R"},
        {&testing::kRussian, "CP1251"},
        {&sameLine, "CP1251"},
        {&sameLine, "KOI8-R"},
        {&testing::kCzechAndPolish, "CP1250"},
        {&testing::kCzechAndPolish, "ISO-8859-2"},
        {&testing::kJapanese, "SHIFT_JIS"},
        {&testing::kJapanese, "EUC-JP"},
        {&testing::kChinese, "GB18030"},
    };
    for (const auto& [text, encoding] : legacy) {
        const Reading reading = readBytes(encodedAs(*text, encoding), "auto");
        EXPECT_EQ(reading.readIn.substr(0, 4) == "UTF-", false)
            << encoding << " read as " << reading.readIn;
    }

    std::string english;
    for (int line = 0; line < 300; ++line)
        english += "Copyright " + std::to_string(1990 + line % 30) + " the authors of part " +
                   std::to_string(line) + " of this work\n";
    english += "   2006 Adela Simó\n";
    const Reading names = readBytes(english, "auto");
    EXPECT_EQ(names.readIn, "UTF-8");
    EXPECT_TRUE(names.text == english);
    EXPECT_TRUE(decodingWarnings(names.decoding, names.readIn, 0).empty());

    // Three-byte characters after two ASCII bytes: the first megabyte ends
    // inside one.
    std::string large = "ab";
    while (large.size() < (1u << 20) + 4096) large += "一年又一年\n";
    const Reading cut = readBytes(large, "auto");
    EXPECT_EQ(cut.readIn, "UTF-8");
    EXPECT_EQ(cut.invalid, 0u);

    // A few bytes beyond ASCII are too few to tell by (two took Hebrew's
    // table), and a guess that reads the bytes as they are tells nothing of
    // a text that is not UTF-8.
    for (const std::string few : {"\xE9\xE9\n", "a\xE9\n",
                                  "\xE9"
                                  "a\n",
                                  "caf\xE9 cr\xE8me\n"}) {
        const Reading reading = readBytes(few, "auto");
        EXPECT_EQ(reading.readIn, "Windows-1252") << few;
        EXPECT_EQ(
            decodingWarnings(reading.decoding, reading.readIn, 0),
            std::vector<std::string>{"the encoding could not be guessed; read as Windows-1252"})
            << few;
    }

    // Bytes no encoding defines in a way that tells.
    std::string undefined;
    for (int i = 0; i < 50; ++i) undefined += "\x81\x8D\x8F\x90\x9D";
    const Reading noise = readBytes(undefined + "\n", "auto");
    EXPECT_EQ(noise.readIn, "Windows-1252");
    EXPECT_EQ(decodingWarnings(noise.decoding, noise.readIn, 0),
              std::vector<std::string>{"the encoding could not be guessed; read as Windows-1252"});
}

// Guessing is statistics: a page of Russian in KOI8-R and of Japanese in
// Shift_JIS are told apart from each other and from Windows-1252 text.
TEST(SourceDecoding, GuessesKoi8rAndShiftJisFromAPageOfText) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    const Reading russian = readBytes(encodedAs(testing::kRussian, "KOI8-R"), "auto");
    EXPECT_EQ(russian.text, testing::kRussian);
    EXPECT_EQ(russian.readIn, "KOI8-R");
    EXPECT_EQ(decodingWarnings(russian.decoding, russian.readIn, 0),
              std::vector<std::string>{"read as KOI8-R (guessed)"});
    const Reading japanese = readBytes(encodedAs(testing::kJapanese, "SHIFT_JIS"), "auto");
    EXPECT_EQ(japanese.text, testing::kJapanese);
    EXPECT_TRUE(japanese.decoding.guessed);
    // French without a byte from 0x80 to 0x9F, which the statistics call
    // ISO-8859-1, is read as Windows-1252, whose quotes and euro sign a
    // longer text of the same writer would hold.
    const std::string french =
        "Le caf\xC3\xA9 est tr\xC3\xA8s bon \xC3\xA0 l'h\xC3\xB4tel, o\xC3\xB9 nous "
        "\xC3\xA9tions d\xC3\xA9j\xC3\xA0.\nLa f\xC3\xAAte \xC3\xA9tait pr\xC3\xAAte.\n";
    const Reading latin = readBytes(encodedAs(french, "CP1252"), "auto");
    EXPECT_EQ(latin.readIn, "Windows-1252");
    EXPECT_EQ(latin.text, french);
}

}  // namespace
}  // namespace leafwright
