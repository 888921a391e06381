// Wrapped documents in many scripts and in Windows-1252, judged from
// outside: qpdf finds nothing to warn about, pdftotext -bbox finds no word
// past the right margin where the mode breaks words, the content marks
// continued rows, and Unspool gives the source back exactly.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/converted_documents.h"
#include "core/text/text_encoding.h"
#include "support/pdftotext_boxes.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Words of one script; sources are lines of them, long enough to wrap.
struct Script {
    const char* name;
    std::vector<std::string> words;
    const char* between;  // what stands between words
};

const std::vector<Script>& scripts() {
    static const std::vector<Script> all = {
        {"chinese-japanese",
         {"\u4E2D\u6587\u5B57\u7B26", "\u3002", "\u300C\u5F15\u7528\u300D",
          "\u3072\u3089\u304C\u306A", "\u30AB\u30BF\u30AB\u30CA", "\uFF0C", "\u6F22\u5B57",
          "\u6771\u4EAC\u90FD"},
         ""},
        {"korean",
         {"\uD55C\uAD6D\uC5B4", "\uBB38\uC7A5\uC744", "\uC904\uBC14\uAFC8\uD569\uB2C8\uB2E4"},
         " "},
        {"cyrillic-greek",
         {"\u0416\u0438\u0437\u043D\u044C", "\u043F\u0440\u0438\u0432\u0435\u0442",
          "\u03B1\u03BB\u03C6\u03B1",
          "\u0434\u043B\u0438\u043D\u043D\u043E\u0435\u0441\u043B"
          "\u043E\u0432\u043E\u0431\u0435\u0437\u043F\u0440\u043E"
          "\u0431\u0435\u043B\u043E\u0432\u0441\u043E\u0432\u0441"
          "\u0435\u043C\u043D\u0438\u043A\u043E\u0433\u0434\u0430"},
         " "},
        {"arabic",
         {"\u0645\u0631\u062D\u0628\u0627", "\u0628\u0627\u0644\u0639\u0627\u0644\u0645",
          "\u0627\u0644\u0643\u062A\u0627\u0628", "(\u0661\u0662\u0663)", "\u0641\u064A",
          "PDF 1.3"},
         " "},
        {"hebrew",
         {"\u05E9\u05DC\u05D5\u05DD", "\u05E2\u05D5\u05DC\u05DD", "\u05E1\u05E4\u05E8",
          "\u05D1\u05BC\u05B0\u05E8\u05B5\u05D0\u05E9\u05B4\u05C1\u05D9\u05EA", "2026"},
         " "},
        {"devanagari",
         {"\u0928\u092E\u0938\u094D\u0924\u0947", "\u0939\u093F\u0928\u094D\u0926\u0940",
          "\u0915\u094D\u0937\u0924\u094D\u0930\u093F\u092F",
          "\u0926\u0947\u0935\u0928\u093E"
          "\u0917\u0930\u0940"},
         " "},
        {"thai",
         {"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35", "\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22",
          "\u0E04\u0E23\u0E31\u0E1A", "\u0E1B\u0E23\u0E30\u0E40\u0E17\u0E28"},
         ""},
    };
    return all;
}

// Lines of 0 to 90 words, a tab now and then; every fourth line mixes in
// Latin words, which a right-to-left line must keep in its direction.
std::string sourceOf(const Script& script, unsigned seed) {
    std::mt19937 random(seed);
    std::string source;
    for (int line = 0; line < 40; ++line) {
        const int words = static_cast<int>(random() % 90);
        for (int k = 0; k < words; ++k) {
            if (k > 0) source += random() % 13 == 0 ? "\t" : script.between;
            if (line % 4 == 3 && random() % 5 == 0)
                source += "latin";
            else
                source += script.words[random() % script.words.size()];
        }
        source += "\n";
    }
    return source;
}

// Windows-1252 bytes whose characters are all in MacRomanEncoding, so the
// standard font draws them: é ü ñ “ ” – … and long words.
std::string windows1252Source(unsigned seed) {
    const std::vector<std::string> words = {"caf\xE9",
                                            "\xFC"
                                            "ber",
                                            "se\xF1or",
                                            "5%",
                                            "\x93quoted\x94",
                                            "\x96",
                                            "trois\x85",
                                            "(x)",
                                            "a",
                                            "unbreakablewordwithoutanyspacesinsideitatall"};
    std::mt19937 random(seed);
    std::string source;
    for (int line = 0; line < 60; ++line) {
        const int count = static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k) {
            if (k > 0) source += random() % 11 == 0 ? "\t" : " ";
            source += words[random() % words.size()];
        }
        source += "\n";
    }
    return source;
}

std::string utf8Of1252(const std::string& bytes) {
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t character;
        at += decodeCharacter(bytes, at, SourceEncoding::Windows1252, character);
        appendUtf8(character, text);
    }
    return text;
}

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size())
        ++count;
    return count;
}

// Whether text is words of the list one after another (pdftotext joins two
// words a tab puts close together).
bool madeOfWords(std::string_view text, const std::vector<std::string>& words) {
    std::vector<bool> reached(text.size() + 1, false);
    reached[0] = true;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!reached[at]) continue;
        for (const std::string& word : words)
            if (text.substr(at).starts_with(word)) reached[at + word.size()] = true;
    }
    return reached[text.size()];
}

// Every word pdftotext finds is made of the words the source was made of.
void expectWholeWords(const std::string& pdf, std::vector<std::string> words) {
    words.push_back("latin");
    const testing::ProcessResult text = runProcess({"pdftotext", pdf, "-"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    std::string word;
    std::size_t checked = 0;
    for (const char c : text.out + " ") {
        if (c != ' ' && c != '\n' && c != '\t' && c != '\f') {
            word += c;
            continue;
        }
        if (word.empty()) continue;
        const bool known = madeOfWords(word, words);
        EXPECT_TRUE(known) << "\"" << word << "\" is no word of the source";
        if (!known) return;
        ++checked;
        word.clear();
    }
    EXPECT_GT(checked, 100u);
}

struct Converted {
    std::string pdf;   // the document's bytes
    std::string back;  // what Unspool gave back
};

Converted convertWith(const TempDir& dir, const std::string& font, const std::string& wrap,
                      const std::string& source, const std::string& family = "") {
    writeBytes(dir.file("settings.tcf"),
               configFor(font) + (family.empty() ? "" : "font-family=" + family + "\n"));
    writeBytes(dir.file("source.txt"), source);
    auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--config", "settings.tcf",
                               "--wrap=" + wrap, "--form-feed=page", "source.txt"},
                              dir.path());
    EXPECT_EQ(convert.exitStatus, 0) << convert.err;
    expectQpdfFindsNothing(dir.file("source.pdf"));
    Converted converted;
    converted.pdf = readBytes(dir.file("source.pdf"));
    std::filesystem::remove(dir.file("source.txt"));
    auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "source.pdf"}, dir.path());
    EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
    converted.back = readBytes(dir.file("source.txt"));
    return converted;
}

// A4, margins of 36 points: the text area's right edge, and a rounding's
// leeway.
constexpr double kRightEdge = 595 - 36 + 0.5;

TEST(WrappedScripts, EveryScriptWrapsInsideTheMarginAndComesBack) {
    const bool bbox = haveProgram("pdftotext");
    TempDir dir;
    unsigned seed = 7;
    for (const Script& script : scripts()) {
        for (const std::string font : {"Times-Roman", "Courier"}) {
            for (const std::string wrap : {"word-char", "char", "word"}) {
                SCOPED_TRACE(std::string(script.name) + " " + font + " " + wrap);
                const std::string source = sourceOf(script, seed++);
                const Converted converted = convertWith(dir, font, wrap, source);
                EXPECT_GT(countOf(converted.pdf, "/LwCont MP"), 0u);
                EXPECT_EQ(converted.back, withCrLf(source));
                if (bbox && wrap != "word") {
                    EXPECT_LE(rightmostWord(dir.file("source.pdf")), kRightEdge);
                }
                // Words no wider than the line stay whole: Korean ones are
                // not split between their syllables.
                const std::string name = script.name;
                if (bbox && wrap == "word-char" && (name == "korean" || name == "cyrillic-greek"))
                    expectWholeWords(dir.file("source.pdf"), script.words);
                if (::testing::Test::HasFailure()) return;  // one case tells the story
            }
        }
    }
}

TEST(WrappedScripts, Windows1252TextWrapsInTheStandardFont) {
    const bool bbox = haveProgram("pdftotext");
    TempDir dir;
    for (const std::string font : {"Helvetica", "Courier"}) {
        for (const std::string wrap : {"word-char", "char"}) {
            SCOPED_TRACE(font + " " + wrap);
            const std::string source = windows1252Source(font.size() + wrap.size());
            const Converted converted = convertWith(dir, font, wrap, source);
            // Drawn in the standard font, its lines cut into rows.
            EXPECT_EQ(converted.pdf.find("/FontFile"), std::string::npos);
            EXPECT_GT(countOf(converted.pdf, "/LwCont MP"), 0u);
            EXPECT_EQ(converted.back, withCrLf(utf8Of1252(source)));
            if (bbox) {
                EXPECT_LE(rightmostWord(dir.file("source.pdf")), kRightEdge);
            }
        }
    }
}

// In a chosen face, whose widths are not the standard font's, a
// Windows-1252 text is cut as that face draws it, as UTF-8 text is.
TEST(WrappedScripts, Windows1252TextWrapsInAChosenFace) {
    const bool bbox = haveProgram("pdftotext");
    TempDir dir;
    for (const std::string wrap : {"word-char", "char"}) {
        SCOPED_TRACE(wrap);
        const std::string source = windows1252Source(wrap.size());
        const Converted converted = convertWith(dir, "Times-Roman", wrap, source, "DejaVu Sans");
        EXPECT_NE(converted.pdf.find("/FontFile2"), std::string::npos);
        EXPECT_GT(countOf(converted.pdf, "/LwCont MP"), 0u);
        EXPECT_EQ(converted.back, withCrLf(utf8Of1252(source)));
        if (bbox) {
            EXPECT_LE(rightmostWord(dir.file("source.pdf")), kRightEdge);
        }
    }
}

// The rows of a right-to-left line all read right to left: the first row
// of each, and the rows that go on with it, end at the right margin, even
// a row that starts with a Latin word.
TEST(WrappedScripts, RightToLeftRowsEndAtTheRightMargin) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    std::string line;
    for (int k = 0; k < 60; ++k)
        line += k % 7 == 6 ? "latin words here " : "\u0645\u0631\u062D\u0628\u0627 ";
    const std::string source = line + "\n" + line + "\n";
    const Converted converted = convertWith(dir, "Helvetica", "word-char", source);
    EXPECT_EQ(converted.back, withCrLf(source));
    const testing::ProcessResult box =
        runProcess({"pdftotext", "-bbox", dir.file("source.pdf"), "-"});
    // Each text line's rightmost word ends close to the right margin.
    double lineY = -1, lineRight = 0;
    int lines = 0, atMargin = 0;
    auto endLine = [&] {
        if (lineY < 0) return;
        ++lines;
        atMargin += lineRight > kRightEdge - 3;
    };
    const std::string yKey = "yMin=\"", yMaxKey = "yMax=\"", xKey = "xMax=\"";
    for (std::size_t at = 0; (at = box.out.find("<word ", at)) != std::string::npos; ++at) {
        const double right = std::stod(box.out.substr(box.out.find(xKey, at) + xKey.size(), 20));
        // Fonts of other heights share a line: its middle tells.
        const double y =
            (std::stod(box.out.substr(box.out.find(yKey, at) + yKey.size(), 20)) +
             std::stod(box.out.substr(box.out.find(yMaxKey, at) + yMaxKey.size(), 20))) /
            2;
        if (std::abs(y - lineY) > 4) {
            endLine();
            lineY = y;
            lineRight = 0;
        }
        lineRight = std::max(lineRight, right);
    }
    endLine();
    EXPECT_GT(lines, 4);
    EXPECT_EQ(atMargin, lines);
}

}  // namespace
}  // namespace leafwright
