// Text in scripts drawn with embedded fonts must copy and search in the
// viewers people use: poppler's pdftotext and MuPDF's text device find each
// word of the source verbatim, qpdf finds the file sound, and Unspool still
// gives the source back exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
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

// Hindi and Marathi with conjuncts, reordered vowel signs and reph, Myanmar
// with medials, Thaana whose every letter carries a vowel sign, pointed
// Hebrew, and Chinese and Japanese in Courier's two-column grid.
TEST(ExtractedWords, EveryWordOfEachScriptIsFound) {
    const bool poppler = haveProgram("pdftotext"), mupdf = haveProgram("mutool");
    if (!poppler && !mupdf) GTEST_SKIP() << "neither pdftotext nor mutool";
    const std::vector<Document> documents = {
        {"devanagari", "Times-Roman",
         "हम हर सुबह किताबें पढ़ते हैं और फिर स्कूल जाते हैं।\n"
         "आम्ही रोज सकाळी शाळेत जातो, पुस्तक कुठे आहे?\n"
         "सर्व प्रिंटर क्षमा कृपया\n",
         true, false},
        {"myanmar", "Helvetica", "မြန်မာ စာ ကို ဖတ် ပါ။ ကျောင်း သွား မယ်။\n", true, false},
        {"thaana", "Times-Roman", "ދިވެހި ބަސް ލިޔުން ރަނގަޅު\nމިއަދު ހޫނު ދުވަހެކެވެ\n", false, true},
        {"hebrew", "Times-Roman", "הַיֶּלֶד קוֹרֵא סֵפֶר\nוַאֲנִי אוֹהֵב לֶחֶם טָרִי\n", false, true},
        {"cjk", "Courier", "不能读取文件 ファイルを開けません\n设置 保存 打开文件夹\n", true,
         false},
    };
    for (const Document& document : documents) {
        SCOPED_TRACE(document.name);
        TempDir dir;
        std::filesystem::create_directories(dir.file("back"));
        if (!convert(dir, document)) {
            ADD_FAILURE() << "no face for some characters of " << document.name;
            continue;
        }
        const std::string pdf = dir.file("back/source.pdf");
        expectQpdfFindsNothing(pdf);
        auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "--force", pdf}, dir.path());
        EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
        EXPECT_EQ(readBytes(dir.file("back/source.txt")), withCrLf(document.text));
        if (poppler && document.byPoppler) {
            auto text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
            ASSERT_EQ(text.exitStatus, 0) << text.err;
            expectEveryWordFound(document.text, text.out, "pdftotext");
        }
        if (mupdf && document.byMupdf) {
            auto text = runProcess({"mutool", "draw", "-q", "-F", "txt", pdf});
            ASSERT_EQ(text.exitStatus, 0) << text.err;
            expectEveryWordFound(document.text, text.out, "mutool");
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
