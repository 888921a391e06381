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
