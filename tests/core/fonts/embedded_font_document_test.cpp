#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/fonts/system_font_provider.h"
#include "core/text/text_encoding.h"
#include "font_test_document.h"
#include "support/pdf_structure.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using leafwright::testing::withoutWhiteSpace;

using testing::buildFontTestDocument;
using testing::runProcess;
using testing::TempDir;

const std::vector<std::u32string> kMixedLines = {
    U"Price: \u20AC5, na\u00EFve caf\u00E9, \u0161\u0159\u0119\u0142\u0101",
    U"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC: "
    U"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1",
    U"\u0420\u0443\u0441\u0441\u043A\u0438\u0439: \u041F\u0440\u0438\u0432\u0435\u0442",
    U"\u250C\u2500\u2500\u2510",
    U"\u2514\u2500\u2500\u2518",
    U"\u4E2D\u6587\u4F60\u597D \u65E5\u672C\u8A9E\u3072\u3089\u304C\u306A \uAC00",
    U"cafe\u0301 and Name\tValue",
    U"\u212B\u00C5 (\\) #$% BT ET \U0001D400",
};

// The line's visible characters as UTF-8, white space left out: what a text
// extractor must give back whatever spacing it infers.
std::string visibleText(const std::u32string& line) {
    std::string out;
    for (char32_t c : line)
        if (c != U' ' && c != U'\t') appendUtf8(c, out);
    return out;
}

// The documents of one family, judged by qpdf and poppler.
void expectSoundMixedDocument(const std::string& baseFont) {
    SCOPED_TRACE(baseFont);
    SystemFontProvider provider;
    const auto document = buildFontTestDocument(provider, baseFont, kMixedLines);
    EXPECT_EQ(document.notPrintable, 0u);
    EXPECT_EQ(testing::checkPdfStructure(document.pdf).fault, "");
    for (unsigned char byte : document.pdf) {
        ASSERT_TRUE(byte == '\r' || byte == '\n' || (byte >= 0x20 && byte < 0x7F))
            << "byte " << int(byte) << " in the file";
    }

    TempDir folder;
    const std::string path = folder.file("mixed.pdf");
    testing::writeBytes(path, document.pdf);

    const auto check = runProcess({"qpdf", "--check", path});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
    EXPECT_EQ(check.err, "");

    // Every font row (after the two heading lines) says: emb sub uni yes.
    const auto fonts = runProcess({"pdffonts", path});
    ASSERT_EQ(fonts.exitStatus, 0) << fonts.err;
    std::size_t rows = 0;
    std::size_t lineStart = 0;
    for (std::size_t lineNumber = 0; lineStart < fonts.out.size(); ++lineNumber) {
        std::size_t lineEnd = fonts.out.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = fonts.out.size();
        const std::string row = fonts.out.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 1;
        if (lineNumber < 2 || row.empty()) continue;
        ++rows;
        // TrueType faces, or CFF ones (the CJK faces of some systems).
        EXPECT_TRUE(row.find("CID TrueType") != std::string::npos ||
                    row.find("CID Type 0C") != std::string::npos)
            << row;
        EXPECT_NE(row.find("Identity-H"), std::string::npos) << row;
        EXPECT_NE(row.find("yes yes yes"), std::string::npos) << row;
        EXPECT_EQ(row[6], '+') << row;  // ABCDEF+Name
    }
    EXPECT_GE(rows, 3u) << fonts.out;  // the Liberation face and fallbacks for box drawing and CJK

    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
    ASSERT_EQ(text.exitStatus, 0) << text.err;
    std::string expected;
    for (const auto& line : kMixedLines) expected += visibleText(line);
    EXPECT_EQ(withoutWhiteSpace(text.out), expected) << text.out;
}

TEST(EmbeddedFontDocument, MixedScriptsInEachFamilyAreEmbeddedSubsetAndReadBack) {
    expectSoundMixedDocument("Times-Roman");
    expectSoundMixedDocument("Helvetica-Bold");
    expectSoundMixedDocument("Courier-Oblique");
}

TEST(EmbeddedFontDocument, SameTextGivesTheSameBytesInAFreshRun) {
    SystemFontProvider first;
    SystemFontProvider second;
    const auto one = buildFontTestDocument(first, "Times-Roman", kMixedLines);
    const auto two = buildFontTestDocument(second, "Times-Roman", kMixedLines);
    EXPECT_EQ(one.pdf, two.pdf);

    // A different glyph set is a different subset, with its own tag.
    auto fewer = kMixedLines;
    fewer.pop_back();
    const auto three = buildFontTestDocument(second, "Times-Roman", fewer);
    const auto tagOf = [](const std::string& pdf) {
        const std::size_t at = pdf.find("/BaseFont /");
        return pdf.substr(at + 11, 6);
    };
    EXPECT_NE(tagOf(one.pdf), tagOf(three.pdf));
}

TEST(EmbeddedFontDocument, CharacterNoFaceHasIsCountedAndShownAsQuestionMark) {
    SystemFontProvider provider;
    // A private-use character of plane 16: no installed face draws it.
    const auto document =
        buildFontTestDocument(provider, "Helvetica", {U"a\U0010FFFDb", U"\U0010FFFD"});
    EXPECT_EQ(document.notPrintable, 2u);

    TempDir folder;
    const std::string path = folder.file("missing.pdf");
    testing::writeBytes(path, document.pdf);
    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
    EXPECT_EQ(withoutWhiteSpace(text.out), "a?b?");
}

// A text all in fallback faces leaves the main font (/F1, always written)
// without codes: it must still be a valid font.
TEST(EmbeddedFontDocument, MainFontWithoutCodesIsStillValid) {
    SystemFontProvider provider;
    const auto document = buildFontTestDocument(provider, "Courier", {U"\u4E2D\u6587"});
    ASSERT_NE(document.pdf.find("/W []"), std::string::npos);
    TempDir folder;
    const std::string path = folder.file("cjk.pdf");
    testing::writeBytes(path, document.pdf);
    const auto check = runProcess({"qpdf", "--check", path});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
    EXPECT_EQ(withoutWhiteSpace(text.out), "\u4E2D\u6587");
}

// Glyph 0 of every subset is empty, so the characters that must be written
// but not seen leave the page blank, in the main face and in a fallback.
TEST(EmbeddedFontDocument, InvisibleCharactersLeaveThePageBlank) {
    SystemFontProvider provider;
    const auto document = buildFontTestDocument(
        provider, "Times-Roman",
        {U"            \t\x01\x7F\u200B\uFEFF\u00AD", U"\u4E2D\t\t\u200B\u200B\u200B"});
    TempDir folder;
    const std::string path = folder.file("blank.pdf");
    testing::writeBytes(path, document.pdf);
    const auto picture = runProcess({"pdftoppm", "-gray", "-r", "72", path, folder.file("page")});
    ASSERT_EQ(picture.exitStatus, 0) << picture.err;
    const std::string pgm = testing::readBytes(folder.file("page-1.pgm"));
    ASSERT_GT(pgm.size(), 1000u);
    // At 72 dpi a pixel is a point. The one visible character is the
    // ideograph at the start of line 2, from 36 to 46 points (10 points
    // wide); everything right of it must be white, where the invisible
    // characters of both lines stand (those of line 1 after twelve spaces).
    std::size_t width = 0, height = 0;
    ASSERT_EQ(std::sscanf(pgm.c_str(), "P5 %zu %zu 255", &width, &height), 2);
    const std::size_t pixels = pgm.size() - width * height;
    std::size_t dark = 0, darkRightOfIdeograph = 0;
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x)
            if (static_cast<unsigned char>(pgm[pixels + y * width + x]) < 200) {
                ++dark;
                if (x >= 47) ++darkRightOfIdeograph;
            }
    EXPECT_GT(dark, 0u);  // the ideograph itself
    EXPECT_EQ(darkRightOfIdeograph, 0u);
}

}  // namespace
}  // namespace leafwright
