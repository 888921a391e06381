#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/plustools/unspool_run.h"
#include "support/encoded_text.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::encodedAs;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// The lines as Unspool gives them back: UTF-8, each ended by CR LF.
std::string unspooledLines(const std::string& text) {
    std::string lines;
    for (char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
}

struct Converted {
    ConversionOutcome outcome;
    std::string pdf;
    std::string unspooled;
};

Converted convertAndUnspool(const std::string& bytes, const std::string& encoding,
                            int selfAdaptation = 0, const SourceThreads& threads = {}) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), bytes);
    ConversionSettings settings;
    settings.chosen.more.encoding = encoding;
    settings.chosen.selfAdaptation = selfAdaptation;
    Converted converted;
    converted.outcome = convertSource(dir.file("source.txt"), dir.file("source.pdf"), settings, {},
                                      nullptr, threads);
    converted.pdf = readBytes(dir.file("source.pdf"));
    unspoolFile(dir.file("source.pdf"), dir.file("back.txt"));
    converted.unspooled = readBytes(dir.file("back.txt"));
    return converted;
}

// The font names a document draws with, in the order it lists them.
std::vector<std::string> baseFonts(const std::string& pdf) {
    std::vector<std::string> names;
    for (std::size_t at = pdf.find("/BaseFont /"); at != std::string::npos;
         at = pdf.find("/BaseFont /", at + 1)) {
        const std::size_t start = at + 11;
        names.push_back(pdf.substr(start, pdf.find_first_of("\r\n", start) - start));
    }
    return names;
}

// The bytes Windows-1252 leaves undefined are read, as Windows reads them,
// as the C1 controls of their numbers; those, like the C1 controls of a
// UTF-8 text, print as nothing (no font of symbols is taken for them) and
// come back exactly, and none is counted as a character not printed.
TEST(DecodedConversion, ControlCharactersPrintNothingAndComeBack) {
    const Converted undefined = convertAndUnspool(
        "a\x81"
        "b\x8D\x8F\x90\x9D c \x80\n",
        "");
    EXPECT_EQ(undefined.unspooled,
              "a\xC2\x81"
              "b\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D c \xE2\x82\xAC\r\n");
    EXPECT_EQ(undefined.outcome.notPrintable, 0u);
    EXPECT_EQ(undefined.outcome.encoding, "Windows-1252");

    std::string controls = "a";
    for (char32_t c = 0x80; c < 0xA0; ++c) {
        controls += static_cast<char>(0xC0 | (c >> 6));
        controls += static_cast<char>(0x80 | (c & 0x3F));
    }
    controls += "b \xC3\xA9\xE2\x82\xAC\n";
    const Converted utf8 = convertAndUnspool(controls, "");
    EXPECT_EQ(utf8.unspooled, unspooledLines(controls));
    EXPECT_EQ(utf8.outcome.notPrintable, 0u);
    // Without the controls the line draws from the same fonts.
    const Converted plain = convertAndUnspool("ab \xC3\xA9\xE2\x82\xAC\xC2\xBD\n", "");
    const std::vector<std::string> fonts = baseFonts(utf8.pdf);
    ASSERT_FALSE(fonts.empty());
    EXPECT_EQ(fonts.size(), baseFonts(plain.pdf).size());
    for (const std::string& font : fonts)
        EXPECT_NE(font.find("LiberationSerif"), std::string::npos) << font;
}

// Converted from its encoding and extracted again, a text comes back as the
// UTF-8 it was written in, on fixed pages and on one self-adapting page.
TEST(DecodedConversion, UnspoolGivesTheTextBackAsUtf8) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    struct Case {
        std::string text, encoding, mark;
    };
    const std::vector<Case> cases = {
        {testing::kRussian, "KOI8-R", ""},
        {testing::kJapanese, "SHIFT_JIS", ""},
        {testing::kCzechAndPolish + testing::kChinese, "UTF-16LE", "\xFF\xFE"},
    };
    for (const Case& c : cases) {
        for (int self = 0; self <= 1; ++self) {
            SCOPED_TRACE(c.encoding + (self ? " on one page" : " on pages"));
            const Converted converted = convertAndUnspool(c.mark + encodedAs(c.text, c.encoding),
                                                          c.mark.empty() ? c.encoding : "", self);
            EXPECT_EQ(converted.unspooled, unspooledLines(c.text));
            EXPECT_EQ(converted.outcome.encoding, c.encoding);
            EXPECT_EQ(conversionWarning(converted.outcome), "");
        }
    }
}

// Two threads would cut the source at the bytes of a line feed, which in
// UTF-16 do not mark one: a source read through a converter is read on one
// thread, and its document is the one a run of one thread makes.
TEST(DecodedConversion, ADecodedSourceIsReadOnOneThread) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "Строка " + std::to_string(i) + ": Кот (cat) и пёс.\n";
    const std::string bytes = "\xFF\xFE" + encodedAs(text, "UTF-16LE");
    for (int self = 0; self <= 1; ++self) {
        SCOPED_TRACE(self);
        const Converted one = convertAndUnspool(bytes, "", self);
        const Converted two = convertAndUnspool(bytes, "", self, {2, 0, 3000});
        EXPECT_EQ(one.unspooled, unspooledLines(text));
        EXPECT_EQ(two.pdf, one.pdf);
    }
}

// The guess is named in the warning, before the characters no face has;
// a source read by the usual rule tells its encoding and gets no warning.
TEST(DecodedConversion, AGuessedEncodingIsNamedInTheWarning) {
    if (!testing::haveIconvProgram()) GTEST_SKIP() << "iconv not installed";
    const Converted guessed = convertAndUnspool(encodedAs(testing::kRussian, "KOI8-R"), "auto");
    EXPECT_EQ(guessed.outcome.encoding, "KOI8-R");
    EXPECT_EQ(conversionWarning(guessed.outcome), "read as KOI8-R (guessed)");
    EXPECT_EQ(guessed.unspooled, unspooledLines(testing::kRussian));

    ConversionOutcome both;
    both.readingWarnings = {"read as KOI8-R (guessed)"};
    both.notPrintable = 2;
    EXPECT_EQ(conversionWarning(both),
              "read as KOI8-R (guessed); 2 characters could not be printed (shown as ?)");

    EXPECT_EQ(convertAndUnspool("plain\n", "").outcome.encoding, "UTF-8");
    const Converted latin = convertAndUnspool("caf\xE9\n", "");
    EXPECT_EQ(latin.outcome.encoding, "Windows-1252");
    EXPECT_EQ(conversionWarning(latin.outcome), "");
}

}  // namespace
}  // namespace leafwright
