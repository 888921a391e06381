// Korean and Japanese documents, set in the CFF faces of Noto CJK when they
// are installed, judged by qpdf, pdffonts, pdftotext and mutool, and given
// back exactly by Unspool.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Lines of words made of the pieces, with spaces, digits and punctuation
// between them, generated the same way every run; short enough to end
// inside the page in every family (text past its edge is not extracted).
std::string generatedText(const std::vector<std::string>& pieces, int lines, unsigned seed) {
    std::mt19937 random(seed);
    const std::vector<std::string> between = {" ", " ", " ", ", ", ". ", " 2026 ", " (", ") "};
    std::string text;
    for (int line = 0; line < lines; ++line) {
        for (int word = 2 + static_cast<int>(random() % 5); word > 0; --word) {
            for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k)
                text += pieces[random() % pieces.size()];
            text += between[random() % between.size()];
        }
        text += "\n";
    }
    return text;
}

const std::vector<std::string> kKoreanPieces = {
    "\uD55C", "\uAD6D", "\uC5B4", "\uBB38", "\uC7A5", "\uC744", "\uC4F0", "\uACE0", "\uC788",
    "\uC2B5", "\uB2C8", "\uB2E4", "\uC11C", "\uC6B8", "\uC758", "\uB0A0", "\uC528", "\uAC00",
    "\uC88B", "\uC544", "\uC694", "\uD30C", "\uC77C", "\uC800", "\uC7A5", "\uD588", "\uC2DC",
    "\uAE00", "\uAF34", "\uBE5B", "\uB611", "\uB6AB", "\uD6E8", "\uC30D", "\uB1CC"};

const std::vector<std::string> kJapanesePieces = {
    "\u65E5", "\u672C", "\u8A9E", "\u306E", "\u6587", "\u7AE0", "\u3067", "\u3059", "\u3002",
    "\u6771", "\u4EAC", "\u306F", "\u9996", "\u90FD", "\u30D5", "\u30A1", "\u30A4", "\u30EB",
    "\u3092", "\u4FDD", "\u5B58", "\u3057", "\u307E", "\u3057", "\u305F", "\u5370", "\u5237",
    "\u30FC", "\u3001", "\u300C", "\u300D", "\u6F22", "\u5B57", "\u304B", "\u306A"};

// The pdffonts rows of CFF fonts; every row of the file must be embedded,
// subset and mapped to Unicode.
int cffRows(const std::string& pdf) {
    const auto fonts = runProcess({"pdffonts", pdf});
    EXPECT_EQ(fonts.exitStatus, 0) << fonts.err;
    const std::vector<std::string> rows = splitLines(fonts.out);
    int cff = 0;
    for (std::size_t i = 2; i < rows.size(); ++i) {
        EXPECT_NE(rows[i].find("yes yes yes"), std::string::npos) << rows[i];
        EXPECT_EQ(rows[i][6], '+') << rows[i];
        if (rows[i].find("CID Type 0C") != std::string::npos) ++cff;
    }
    return cff;
}

std::string mutoolComplaints(const std::string& err) {
    std::string complaints;
    for (const std::string& line : splitLines(err))
        if (line != "warning: ICC support is not available") complaints += line + "\n";
    return complaints;
}

TEST(CjkDocuments, KoreanAndJapaneseSetInNotoCjk) {
    if (!std::filesystem::exists("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"))
        GTEST_SKIP() << "no Noto CJK";
    if (!haveProgram("pdffonts") || !haveProgram("pdftotext")) GTEST_SKIP() << "no poppler";
    struct Case {
        const char* name;
        std::string text;
        const char* font;
    };
    const std::vector<Case> cases = {
        {"korean", generatedText(kKoreanPieces, 300, 25), "Times-Roman"},
        {"japanese", generatedText(kJapanesePieces, 300, 26), "Helvetica"},
        {"courier", generatedText(kKoreanPieces, 40, 27) + generatedText(kJapanesePieces, 40, 28),
         "Courier"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir.file(std::string(c.name) + ".txt"), c.text);
        EXPECT_EQ(convertAndUnspool(dir, configFor(c.font), c.name), withCrLf(c.text));
        const std::string pdf = dir.file("back/" + std::string(c.name) + ".pdf");
        expectQpdfFindsNothing(pdf);
        EXPECT_GE(cffRows(pdf), 1);

        const auto text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        EXPECT_EQ(whereTheyPart(withoutWhiteSpace(text.out), withoutWhiteSpace(c.text)), "");

        if (!haveProgram("mutool")) continue;
        const auto draw =
            runProcess({"mutool", "draw", "-q", "-r", "40", "-o", dir.file("page%d.png"), pdf});
        EXPECT_EQ(draw.exitStatus, 0) << draw.err;
        EXPECT_EQ(mutoolComplaints(draw.err), "");
    }
}

}  // namespace
}  // namespace leafwright
