// Generated documents in many scripts, set in each standard font and in a
// chosen family, judged by qpdf, pdffonts and Unspool giving them back.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "core/text/text_encoding.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Letters of a script: each syllable is a base letter, then none or one of
// the signs that follow it.
struct Alphabet {
    const char* name;
    std::u32string bases;
    std::u32string signs;
};

std::u32string range(char32_t first, char32_t last) {
    std::u32string letters;
    for (char32_t c = first; c <= last; ++c) letters += c;
    return letters;
}

const std::vector<Alphabet>& alphabets() {
    static const std::vector<Alphabet> all = {
        {"latin-greek-cyrillic",
         range(0xE0, 0xFF) + range(0x100, 0x17F) + range(0x3B1, 0x3C9) + range(0x430, 0x44F) +
             U"abcxyz",
         U""},
        {"arabic-hebrew",
         range(0x627, 0x63A) + range(0x641, 0x64A) + U"\u06C1\u06D2\u067E\u0686" +
             range(0x5D0, 0x5EA),
         U""},
        {"devanagari", range(0x915, 0x939), range(0x93E, 0x94C)},
        {"bengali-tamil-malayalam",
         range(0x995, 0x9A8) + U"\u0B95\u0B99\u0B9A\u0B9F\u0BA4\u0BA8\u0BAA\u0BAE\u0BAF\u0BB0" +
             range(0xD15, 0xD28),
         U""},
        {"thai", range(0xE01, 0xE2E), U"\u0E34\u0E35\u0E36\u0E37\u0E48\u0E49\u0E4A\u0E4B"},
        {"han-kana",
         U"\u7684\u4E00\u662F\u4E0D\u4E86\u4EBA\u6211\u5728\u6709\u4ED6\u8FD9\u4E2D\u5927"
         U"\u6765\u4E0A\u56FD\u548C\u5730\u5B50\u65F6\u9053\u51FA\u8981\u4E8E\u5C31\u4E0B"
         U"\u5F97\u53EF\u4F60\u5E74\u751F\u81EA\u4F1A\u65E5\u672C\u8A9E\u6587\u5B66" +
             range(0x3042, 0x3093) + range(0x30A2, 0x30F3),
         U""},
        {"symbols-emoji",
         U"\u2603\u2600\u2605\u2665\u2713\u2190\u2192\u221E\u2211\U0001F600\U0001F680"
         U"\U0001F30D\U0001F34E\U0001F431\U0001F3B5",
         U""},
    };
    return all;
}

// Words of one to four syllables, some lines carrying digits and ASCII
// punctuation among them, as real text does.
std::string generatedText(const Alphabet& alphabet, unsigned lines) {
    std::mt19937 random(20261208);
    auto pick = [&](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
    };
    const std::string punctuation[] = {", ", ". ", " (12) ", ": ", " - ", "! ", " 2026 "};
    std::string text;
    for (unsigned line = 0; line < lines; ++line) {
        const std::size_t words = 3 + pick(6);
        for (std::size_t w = 0; w < words; ++w) {
            if (w > 0) text += pick(4) == 0 ? punctuation[pick(std::size(punctuation))] : " ";
            const std::size_t syllables = 1 + pick(4);
            for (std::size_t s = 0; s < syllables; ++s) {
                appendUtf8(alphabet.bases[pick(alphabet.bases.size())], text);
                if (!alphabet.signs.empty() && pick(2) == 0)
                    appendUtf8(alphabet.signs[pick(alphabet.signs.size())], text);
            }
        }
        text += '\n';
    }
    return text;
}

// Every font embedded as a subset with a Unicode map; returns the names.
std::vector<std::string> expectEmbeddedSubsets(const std::string& pdf) {
    std::vector<std::string> names;
    const auto fonts = runProcess({"pdffonts", pdf});
    EXPECT_EQ(fonts.exitStatus, 0) << fonts.err;
    const std::vector<std::string> rows = splitLines(fonts.out);
    for (std::size_t i = 2; i < rows.size(); ++i) {
        // The type takes two words or three ("CID TrueType", "CID Type 0C"):
        // the flags are read from the row's end, before the object number.
        std::istringstream fields(rows[i]);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        EXPECT_GE(words.size(), 8u) << rows[i];
        if (words.size() < 8) continue;
        const std::string& name = words.front();
        const std::size_t n = words.size();
        EXPECT_EQ(name.size() > 7 ? name[6] : ' ', '+') << rows[i];
        EXPECT_EQ(words[n - 5] + words[n - 4] + words[n - 3], "yesyesyes") << rows[i];
        names.push_back(name.size() > 7 ? name.substr(7) : name);
    }
    EXPECT_GE(names.size(), 1u) << fonts.out;
    return names;
}

// Each script family in Times, Helvetica, Courier and a chosen family: no
// character is shown as "?" (the converter would warn), the file is sound,
// and Unspool gives the text back exactly.
TEST(ScriptDocuments, EveryScriptFamilyPrintsInEachFontAndComesBack) {
    if (!haveProgram("pdffonts")) GTEST_SKIP() << "no pdffonts";
    TempDir dir;
    const std::vector<std::string> configs = {
        configFor("Times-Roman"), configFor("Helvetica"), configFor("Courier-Bold"),
        configFor("Times-Italic") + "font-family=DejaVu Sans\n"};
    for (const Alphabet& alphabet : alphabets()) {
        SCOPED_TRACE(alphabet.name);
        const std::string text = generatedText(alphabet, 300);
        writeBytes(dir.file("source.txt"), text);
        for (const std::string& config : configs) {
            SCOPED_TRACE(config);
            EXPECT_EQ(convertAndUnspool(dir, config), withCrLf(text));
            expectQpdfFindsNothing(dir.file("back/source.pdf"));
            expectEmbeddedSubsets(dir.file("back/source.pdf"));
        }
    }
}

// The chosen family replaces the standard face even for plain ASCII, in the
// weight and slant the standard font names; the standard face is not used.
TEST(ScriptDocuments, ChosenFamilyKeepsTheStandardFontsWeightAndSlant) {
    if (!haveProgram("pdffonts")) GTEST_SKIP() << "no pdffonts";
    TempDir dir;
    const std::string text = "Plain ASCII text, 12 lines of it.\n";
    writeBytes(dir.file("source.txt"), text);
    const std::pair<const char*, const char*> cases[] = {
        {"Helvetica", "DejaVuSans"},
        {"Helvetica-Bold", "DejaVuSans-Bold"},
        {"Times-Italic", "DejaVuSans-Oblique"},
    };
    for (const auto& [font, face] : cases) {
        SCOPED_TRACE(font);
        EXPECT_EQ(convertAndUnspool(dir, configFor(font) + "font-family=DejaVu Sans\n"),
                  withCrLf(text));
        EXPECT_EQ(expectEmbeddedSubsets(dir.file("back/source.pdf")),
                  std::vector<std::string>{face});
    }
    // A font file given on the command line, in place of any family.
    auto convert = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--font-file",
         "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", "-o", "file.pdf", "source.txt"},
        dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_EQ(expectEmbeddedSubsets(dir.file("file.pdf")), std::vector<std::string>{"DejaVuSerif"});
}

// A family that is not installed, one without a face that can be embedded,
// and a file that holds no font are refused before any file is written,
// naming what was asked for.
TEST(ScriptDocuments, UnusableFamilyOrFileIsRefusedByName) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), "text\n");
    writeBytes(dir.file("not-a-font.ttf"), "just some text, not a font\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--font-family=No Such Family Here"}, "\"No Such Family Here\""},
        {{"--font-family=Noto Color Emoji"}, "\"Noto Color Emoji\""},
        {{"--font-file", "not-a-font.ttf"}, "not-a-font.ttf"},
        {{"--font-file", "missing.ttf"}, "missing.ttf"},
    };
    for (const auto& [options, named] : cases) {
        SCOPED_TRACE(named);
        std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert"};
        command.insert(command.end(), options.begin(), options.end());
        command.push_back("source.txt");
        const auto run = runProcess(command, dir.path());
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("source.pdf")));
    }

    // A family only a configuration file names is that file's fault; the
    // option overrides the file.
    writeBytes(dir.file("family.tcf"),
               "A4  [595,842]\r\nCourier\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n0\r\n0\r\n"
               "Default Path\r\n0\r\nfont-family=No Such Family Here\r\n");
    const auto fromFile =
        runProcess({LEAFWRIGHT_CLI, "convert", "--config", "family.tcf", "source.txt"}, dir.path());
    EXPECT_EQ(fromFile.exitStatus, 2);
    EXPECT_EQ(fromFile.err.rfind(
                  "leafwright-cli: family.tcf: the font family \"No Such Family Here\"", 0),
              0u)
        << fromFile.err;
    const auto overridden = runProcess({LEAFWRIGHT_CLI, "convert", "--config", "family.tcf",
                                        "--font-family=DejaVu Sans", "source.txt"},
                                       dir.path());
    EXPECT_EQ(overridden.exitStatus, 0) << overridden.err;
}

}  // namespace
}  // namespace leafwright
