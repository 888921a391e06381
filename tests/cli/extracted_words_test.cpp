// Text in scripts drawn with embedded fonts must copy and search in the
// viewers people use: poppler's pdftotext and MuPDF's text device find each
// word of the source verbatim, qpdf finds the file sound, and Unspool still
// gives the source back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "cli/converted_documents.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// Strips the direction marks and embeddings poppler puts around
// right-to-left words.
std::string withoutDirectionMarks(std::string text) {
    for (const std::string mark : {"\u200E", "\u200F", "\u202A", "\u202B", "\u202C"})
        for (std::size_t at; (at = text.find(mark)) != std::string::npos;)
            text.erase(at, mark.size());
    return text;
}

struct Document {
    const char* name;
    const char* font;
    std::string text;
    bool byPoppler;  // pdftotext must find every word
    bool byMupdf;    // mutool draw -F txt must find every word
};

// Converts the source; false when the machine has no face for some of its
// characters (they would print as "?").
bool convert(const TempDir& dir, const Document& document) {
    writeBytes(dir.file("source.txt"), document.text);
    writeBytes(dir.file("settings.tcf"), configFor(document.font));
    auto run = runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--config", "settings.tcf",
                           "--output-dir", "back", "source.txt"},
                          dir.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return run.err.find("could not be printed") == std::string::npos;
}

void expectEveryWordFound(const std::string& source, const std::string& extracted,
                          const std::string& tool) {
    const std::vector<std::string> found = wordsOf(withoutDirectionMarks(extracted));
    for (const std::string& word : wordsOf(source))
        EXPECT_NE(std::find(found.begin(), found.end(), word), found.end())
            << tool << " lost \"" << word << "\" in:\n"
            << extracted;
}

// The converted document of dir checked: qpdf finds nothing, Unspool gives
// the source back exactly, and each extractor asked finds every word.
void expectTextBack(const TempDir& dir, const Document& document, bool byPoppler, bool byMupdf) {
    const std::string pdf = dir.file("back/source.pdf");
    expectQpdfFindsNothing(pdf);
    auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "--force", pdf}, dir.path());
    EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
    EXPECT_EQ(readBytes(dir.file("back/source.txt")), withCrLf(document.text));
    if (byPoppler) {
        auto text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        expectEveryWordFound(document.text, text.out, "pdftotext");
    }
    if (byMupdf) {
        auto text = runProcess({"mutool", "draw", "-q", "-F", "txt", pdf});
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        expectEveryWordFound(document.text, text.out, "mutool");
    }
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A script's letters for words made up from them: consonants, the vowel
// signs that follow a consonant, and the sign that joins the next
// consonant below or into it (none for Thai, whose leading vowels go
// first).
struct Letters {
    const char* name;
    std::vector<std::pair<char32_t, char32_t>> consonants;  // ranges
    std::vector<std::pair<char32_t, char32_t>> signs;
    char32_t joiner;
    std::vector<std::pair<char32_t, char32_t>> leading;
};

char32_t pick(const std::vector<std::pair<char32_t, char32_t>>& ranges, unsigned& seed) {
    std::size_t count = 0;
    for (const auto& [first, last] : ranges) count += last - first + 1;
    seed = seed * 1103515245u + 12345u;
    std::size_t index = (seed >> 8) % count;
    for (const auto& [first, last] : ranges) {
        if (index <= last - first) return first + static_cast<char32_t>(index);
        index -= last - first + 1;
    }
    return ranges.front().first;
}

// Lines of made-up words, each of two to four syllables: a consonant, at
// times joined to a second one, and mostly a vowel sign after them.
std::string generatedWords(const Letters& letters, unsigned seed) {
    std::string text;
    // Short lines: a line wider than the page would be cut inside a word.
    for (int line = 0; line < 12; ++line) {
        for (int word = 0; word < 4; ++word) {
            if (word > 0) text += ' ';
            const unsigned syllables = 2 + (seed >> 12) % 3;
            for (unsigned s = 0; s < syllables; ++s) {
                seed = seed * 1103515245u + 12345u;
                const unsigned shape = (seed >> 10) % 8;
                if (!letters.leading.empty() && shape == 0)
                    appendUtf8(text, pick(letters.leading, seed));
                appendUtf8(text, pick(letters.consonants, seed));
                if (letters.joiner && shape >= 6) {
                    appendUtf8(text, letters.joiner);
                    appendUtf8(text, pick(letters.consonants, seed));
                }
                if (shape % 3 != 2) appendUtf8(text, pick(letters.signs, seed));
            }
        }
        text += '\n';
    }
    return text;
}

// Made-up words of the scripts shaped left to right, in clusters of
// several glyphs: every word is found by both extractors.
TEST(ExtractedWords, EveryMadeUpWordOfTheShapedScriptsIsFound) {
    const bool poppler = haveProgram("pdftotext"), mupdf = haveProgram("mutool");
    if (!poppler && !mupdf) GTEST_SKIP() << "neither pdftotext nor mutool";
    const std::vector<Letters> scripts = {
        {"devanagari", {{0x915, 0x939}}, {{0x93E, 0x94C}}, 0x94D, {}},
        {"bengali",
         {{0x995, 0x9A8}, {0x9AA, 0x9B0}, {0x9B6, 0x9B9}},
         {{0x9BE, 0x9C2}, {0x9C7, 0x9C8}, {0x9CB, 0x9CC}},
         0x9CD,
         {}},
        {"gurmukhi",
         {{0xA15, 0xA28}, {0xA2A, 0xA30}, {0xA38, 0xA39}},
         {{0xA3E, 0xA42}, {0xA47, 0xA48}, {0xA4B, 0xA4C}},
         0xA4D,
         {}},
        {"gujarati",
         {{0xA95, 0xAA8}, {0xAAA, 0xAB0}, {0xAB5, 0xAB9}},
         {{0xABE, 0xAC5}, {0xAC7, 0xAC8}, {0xACB, 0xACC}},
         0xACD,
         {}},
        {"oriya",
         {{0xB15, 0xB28}, {0xB2A, 0xB30}, {0xB35, 0xB39}},
         {{0xB3E, 0xB43}, {0xB47, 0xB48}, {0xB4B, 0xB4C}},
         0xB4D,
         {}},
        {"tamil",
         {{0xB95, 0xB95},
          {0xB9A, 0xB9A},
          {0xB9F, 0xB9F},
          {0xBA4, 0xBA4},
          {0xBA8, 0xBAA},
          {0xBAE, 0xBB5}},
         {{0xBBE, 0xBC2}, {0xBC6, 0xBC8}, {0xBCA, 0xBCC}},
         0xBCD,
         {}},
        {"telugu",
         {{0xC15, 0xC28}, {0xC2A, 0xC33}, {0xC35, 0xC39}},
         {{0xC3E, 0xC44}, {0xC46, 0xC48}, {0xC4A, 0xC4C}},
         0xC4D,
         {}},
        {"kannada",
         {{0xC95, 0xCA8}, {0xCAA, 0xCB3}, {0xCB5, 0xCB9}},
         {{0xCBE, 0xCC4}, {0xCC6, 0xCC8}, {0xCCA, 0xCCC}},
         0xCCD,
         {}},
        {"malayalam",
         {{0xD15, 0xD28}, {0xD2A, 0xD39}},
         {{0xD3E, 0xD44}, {0xD46, 0xD48}, {0xD4A, 0xD4C}},
         0xD4D,
         {}},
        {"sinhala",
         {{0xD9A, 0xDB1}, {0xDB3, 0xDBB}, {0xDC0, 0xDC6}},
         {{0xDCF, 0xDD4}, {0xDD8, 0xDDF}},
         0xDCA,
         {}},
        {"thai", {{0xE01, 0xE2E}}, {{0xE34, 0xE39}, {0xE48, 0xE4B}}, 0, {{0xE40, 0xE44}}},
        {"khmer", {{0x1780, 0x17A2}}, {{0x17B6, 0x17C5}}, 0x17D2, {}},
        {"myanmar",
         {{0x1000, 0x1020}},
         {{0x102C, 0x102D}, {0x102F, 0x1030}, {0x1032, 0x1032}},
         0x1039,
         {}},
    };
    unsigned seed = 7;
    for (const Letters& letters : scripts) {
        SCOPED_TRACE(letters.name);
        const Document document{letters.name, "Times-Roman", generatedWords(letters, seed += 101),
                                true, true};
        TempDir dir;
        std::filesystem::create_directories(dir.file("back"));
        if (!convert(dir, document)) {
            ADD_FAILURE() << "no face for some characters of " << letters.name;
            continue;
        }
        expectTextBack(dir, document, poppler, mupdf);
    }
}

// Hindi and Marathi with conjuncts, reordered vowel signs and reph, Myanmar
// with medials, Thaana whose every letter carries a vowel sign, pointed
// Hebrew and Yiddish, Arabic ligatures, right-to-left words around
// left-to-right runs, Khmer with doubled zero width spaces, and Chinese, Japanese (from a CFF face)
// and Shavian (from a TrueType one) in Courier's two-column grid, which MuPDF measures by the font
// program's own advances.
TEST(ExtractedWords, EveryWordOfEachScriptIsFound) {
    const bool poppler = haveProgram("pdftotext"), mupdf = haveProgram("mutool");
    if (!poppler && !mupdf) GTEST_SKIP() << "neither pdftotext nor mutool";
    const std::vector<Document> documents = {
        {"devanagari", "Times-Roman",
         "हम हर सुबह किताबें पढ़ते हैं और फिर स्कूल जाते हैं।\n"
         "आम्ही रोज सकाळी शाळेत जातो, पुस्तक कुठे आहे?\n"
         "सर्व प्रिंटर क्षमा कृपया\n",
         true, true},
        {"myanmar", "Helvetica", "မြန်မာ စာ ကို ဖတ် ပါ။ ကျောင်း သွား မယ်။\n", true, true},
        {"thaana", "Times-Roman", "ދިވެހި ބަސް ލިޔުން ރަނގަޅު\nމިއަދު ހޫނު ދުވަހެކެވެ\n", false, true},
        {"hebrew", "Times-Roman", "הַיֶּלֶד קוֹרֵא סֵפֶר\nוַאֲנִי אוֹהֵב לֶחֶם טָרִי\n", false, true},
        // Letters and their points that the face draws as one glyph, and
        // Arabic ligatures (lam-alef, lam-yeh).
        {"yiddish", "Times-Roman", "דאָס בוך פֿון מײַן טאַטן\nער האָט געזאָגט אַז זכּרון\n", true, true},
        {"arabic", "Times-Roman", "على الأقل إلى الآن\nلا يمكن التحليل على الإطلاق\n", true, true},
        // Pointed right-to-left words in lines that a Latin word makes
        // left-to-right paragraphs.
        {"yiddish", "Times-Roman",
         "PNM טעקע האָט אַ פֿאַלש ערשט אַכטעלע\nGTK פֿון מײַן טאַטן\n"
         "Title: הַיֶּלֶד קוֹרֵא סֵפֶר\nXML كِتَابٌ جَمِيلٌ\n",
         true, true},
        // Left-to-right runs inside right-to-left words.
        {"mixed", "Times-Roman", "הסכמה לרישיון (EULA) משתמש\nשגיאה %s: טעקע 'apt install'\n", true,
         true},
        {"mixed", "Times-Roman", "المكوّن '%s' ليس لديه\nمن %.*s في (%s).\n", true, true},
        // A mark of its own run on a bracket of another face.
        {"mixed", "Times-Roman", "محتويات (\u0650Content-Length) غير صالحة\n", true, true},
        // Persian words whose parts a zero width non-joiner keeps apart.
        {"persian", "Times-Roman", "گفت\u200Cوگو شماره\u200Cگیری\nمی\u200Cشود قالب\u200Cبندی شده\n",
         true, true},
        // Zero width spaces doubled between words.
        {"khmer", "Times-Roman", "មិន\u200B\u200Bបាន ហើយ\u200B\u200Bតែ\u200Bក្នុង\n", true, true},
        {"cjk", "Courier", "不能读取文件 ファイルを開けません\n设置 保存 打开文件夹\n", true, true},
        {"shavian", "Courier", "𐑖𐑨𐑝 𐑦𐑟 𐑩 𐑤𐑧𐑑𐑼\n", true, true},
    };
    for (const Document& document : documents) {
        SCOPED_TRACE(document.name);
        TempDir dir;
        std::filesystem::create_directories(dir.file("back"));
        if (!convert(dir, document)) {
            ADD_FAILURE() << "no face for some characters of " << document.name;
            continue;
        }
        expectTextBack(dir, document, poppler && document.byPoppler, mupdf && document.byMupdf);
    }
}

// Lines of made-up right-to-left words among numbers, punctuation and Latin
// words, as translated messages have them: "%s", "(EULA)", "3.5", a colon
// or a comma after a word, a quoted Latin word at the line's end. With
// latinFirst, each line opens with a short Latin name ("GIF", "PAM") and
// right-to-left words follow it, as in a message that names a format.
std::string mixedRightToLeftLines(char32_t firstLetter, char32_t lastLetter, unsigned seed,
                                  bool latinFirst = false) {
    const std::vector<std::string> pieces = {"%s",  "%d",   "42",   "3.5", "(EULA)",    "'apt'",
                                             "PAM", "0x%x", "%.*s", "10%", "gdk-pixbuf"};
    const std::vector<std::string> after = {"", "", "", ",", ":", ".", "!", ")"};
    auto next = [&seed](unsigned count) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % count;
    };
    std::string text;
    for (int line = 0; line < 10; ++line) {
        for (int word = 0; word < 5; ++word) {
            if (word > 0) text += ' ';
            // Unless a Latin name opens it, the first word is a
            // right-to-left one: it makes the line a right-to-left
            // paragraph. After a Latin name the line is one too, as its
            // letters are mostly right to left.
            if (latinFirst && word == 0) {
                text += next(2) ? "GIF" : "PAM";
            } else if (!latinFirst && word > 0 && next(3) == 0) {
                text += pieces[next(static_cast<unsigned>(pieces.size()))];
            } else {
                if (next(6) == 0) text += '(';
                const unsigned letters = 2 + next(4);
                for (unsigned l = 0; l < letters; ++l)
                    appendUtf8(text, firstLetter +
                                         static_cast<char32_t>(next(lastLetter - firstLetter + 1)));
            }
            text += after[next(static_cast<unsigned>(after.size()))];
        }
        text += '\n';
    }
    return text;
}

// Every word of such lines in Hebrew and Arabic, in Times and in Courier,
// is found by both extractors, and Unspool gives the lines back exactly.
TEST(ExtractedWords, RightToLeftWordsAmongNumbersPunctuationAndLatinAreFound) {
    const bool poppler = haveProgram("pdftotext"), mupdf = haveProgram("mutool");
    if (!poppler && !mupdf) GTEST_SKIP() << "neither pdftotext nor mutool";
    unsigned seed = 11;
    for (const char* font : {"Times-Roman", "Courier"}) {
        for (const auto& [script, first, last] : {std::tuple{"hebrew", U'\u05D0', U'\u05EA'},
                                                  std::tuple{"arabic", U'\u0628', U'\u064A'}}) {
            for (const bool latinFirst : {false, true}) {
                const std::string name = std::string(script) + (latinFirst ? "-latin-first" : "");
                SCOPED_TRACE(name + " in " + font);
                const Document document{name.c_str(), font,
                                        mixedRightToLeftLines(first, last, seed += 31, latinFirst),
                                        true, true};
                TempDir dir;
                std::filesystem::create_directories(dir.file("back"));
                if (!convert(dir, document)) {
                    ADD_FAILURE() << "no face for some characters of " << name;
                    continue;
                }
                expectTextBack(dir, document, poppler, mupdf);
            }
        }
    }
}

// In Courier a wide character's code is two columns wide: pdftotext sees a
// run of Han characters as one word exactly as wide as its columns.
TEST(ExtractedWords, CourierWideCharactersTakeTwoColumnsByTheirWidths) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    std::filesystem::create_directories(dir.file("back"));
    ASSERT_TRUE(convert(dir, {"grid", "Courier", "ab 不能读取文件 cd\n", true, false}));
    auto boxes = runProcess({"pdftotext", "-bbox", dir.file("back/source.pdf"), "-"});
    ASSERT_EQ(boxes.exitStatus, 0) << boxes.err;
    bool seen = false;
    for (const std::string& line : splitLines(boxes.out)) {
        if (line.find(">不能读取文件</word>") == std::string::npos) continue;
        seen = true;
        const double xMin = std::stod(line.substr(line.find("xMin=\"") + 6));
        const double xMax = std::stod(line.substr(line.find("xMax=\"") + 6));
        // Three columns from the margin, twelve columns wide, 14-point Courier.
        EXPECT_NEAR(xMin, 36 + 3 * 14 * 0.6, 0.05);
        EXPECT_NEAR(xMax - xMin, 12 * 14 * 0.6, 0.05);
    }
    EXPECT_TRUE(seen) << boxes.out;
}

}  // namespace
}  // namespace leafwright
