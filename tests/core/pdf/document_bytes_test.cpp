#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converted_text.h"
#include "core/pdf/page_content.h"
#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"
#include "pdf_expectations.h"
#include "support/page_list.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::convertText;
using testing::expectedPageTreePdf;
using testing::numberedLines;

std::vector<std::string> linesFrom(int first, int last) {
    std::vector<std::string> lines;
    for (int i = first; i <= last; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

TEST(PaginatedDocument, OneLineWithStartUpSettingsIsExactlyTheKnownFile) {
    ConversionSettings settings;
    std::string pdf = convertText("Hi", settings);
    const std::string expected =
        "%PDF-1.3\r\n"
        "1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Pages 6 0 R\r\n/Outlines 2 0 R\r\n>>\r\nendobj\r\n"
        "2 0 obj\r\n<<\r\n/Type /Outlines\r\n/Count 0\r\n>>\r\nendobj\r\n"
        "3 0 obj\r\n[/PDF /Text]\r\nendobj\r\n"
        "4 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Name /F1\r\n/BaseFont /Times-Roman\r\n"
        "/Encoding /MacRomanEncoding\r\n>>\r\nendobj\r\n"
        "5 0 obj\r\n<<\r\n/Title ()\r\n/Author ()\r\n/Keywords ()\r\n/Subject ()\r\n"
        "/Producer (Leafwright by http://www.leafwright.example )\r\n"
        "/CreationDate (10-5-2001)\r\n>>\r\nendobj\r\n"
        "6 0 obj\r\n<<\r\n/Type /Pages\r\n/Count 1\r\n/Kids [7 0 R ]\r\n>>\r\nendobj\r\n"
        "7 0 obj\r\n<<\r\n/Type /Pages\r\n/Parent 6 0 R\r\n/Count 1\r\n/Kids [8 0 R ]\r\n>>\r\n"
        "endobj\r\n"
        "8 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 7 0 R\r\n"
        "/Resources << /Font << /F1 4 0 R >> /ProcSet 3 0 R>>\r\n/MediaBox [0 0 595 842 ]\r\n"
        "/Rotate 0\r\n/Contents 9 0 R\r\n>>\r\nendobj\r\n"
        "9 0 obj\r\n<< /Length 64 >>\r\nstream\r\nBT\r\n0 0 0 rg\r\n/F1 14 Tf\r\n16.1 TL\r\n"
        "1 0 0 1 36 806 Tm\r\n(Hi)'\r\nET\r\nendstream\r\nendobj\r\n"
        "xref\r\n0 10\r\n0000000000 65535 f\r\n"
        "0000000010 00000 n\r\n0000000082 00000 n\r\n0000000134 00000 n\r\n"
        "0000000165 00000 n\r\n0000000284 00000 n\r\n0000000444 00000 n\r\n"
        "0000000509 00000 n\r\n0000000589 00000 n\r\n0000000750 00000 n\r\n"
        "trailer\r\n<<\r\n/Size 10\r\n/Info 5 0 R\r\n/Root 1 0 R\r\n>>\r\nstartxref\r\n868\r\n"
        "%%EOF\r\n";
    EXPECT_EQ(pdf, expected);
    EXPECT_EQ(pdf, expectedPageTreePdf(settings, {{"Hi"}}));
}

TEST(PaginatedDocument, FillsFortyNineLinesAPageAndStartsNoEmptyPage) {
    ConversionSettings settings;
    EXPECT_EQ(convertText(numberedLines(49), settings),
              expectedPageTreePdf(settings, {linesFrom(1, 49)}));
    EXPECT_EQ(convertText(numberedLines(50), settings),
              expectedPageTreePdf(settings, {linesFrom(1, 49), linesFrom(50, 50)}));
    EXPECT_EQ(convertText(numberedLines(98), settings),
              expectedPageTreePdf(settings, {linesFrom(1, 49), linesFrom(50, 98)}));
}

TEST(PaginatedDocument, EmptySourceGivesOneEmptyPageAndFinalLineEndAddsNothing) {
    ConversionSettings settings;
    EXPECT_EQ(convertText("", settings), expectedPageTreePdf(settings, {{}}));
    EXPECT_EQ(convertText("a\r\n\r\nb\r\n", settings), convertText("a\n\nb", settings));
    EXPECT_EQ(convertText("a\n\nb", settings), expectedPageTreePdf(settings, {{"a", "", "b"}}));
}

TEST(PaginatedDocument, ColouredPagePaintsTheRectangleFirst) {
    ConversionSettings settings;
    settings.pageRgb = "1 1 0";
    settings.textRgb = "0 0 1";
    std::string pdf = convertText("Hi", settings);
    EXPECT_EQ(pdf, expectedPageTreePdf(settings, {{"Hi"}}));
    EXPECT_NE(pdf.find("stream\r\nBT\r\n1 1 0 rg\r\n0 0 m\r\n595 0 l\r\n595 842 l\r\n0 842 l\r\n"
                       "0 0 l\r\nf\r\n0 0 1 rg\r\n"),
              std::string::npos);
    // Fourteen line ends besides the one of the shown line; the first one
    // closes the "stream" line and is not counted.
    PageContent content = buildPageContent(settings, {"Hi"});
    std::size_t lineEnds = 0;
    for (std::size_t at = content.bytes.find("\r\n"); at != std::string::npos;
         at = content.bytes.find("\r\n", at + 1))
        ++lineEnds;
    EXPECT_EQ(lineEnds, 15u);
    EXPECT_EQ(content.streamLength, content.bytes.size() - 2);
}

TEST(PaginatedDocument, EscapesParenthesesAndBackslash) {
    ConversionSettings settings;
    EXPECT_EQ(escapeText("a(b)c\\d"), "a\\(b\\)c\\\\d");
    EXPECT_EQ(escapeText("\\("), "\\\\\\(");
    std::string pdf = convertText("a(b)c\\d\n", settings);
    EXPECT_NE(pdf.find("\r\n(a\\(b\\)c\\\\d)'\r\nET"), std::string::npos);
    EXPECT_EQ(pdf, expectedPageTreePdf(settings, {{"a\\(b\\)c\\\\d"}}));
}

// Pages framed in memory by buildPageContent and written by both writers
// give the documents built straight from the templates.
TEST(HeldPages, AreWrittenAsTheTemplatesSay) {
    ConversionSettings settings;
    settings.pageRgb = "0.5 1 1";
    const std::vector<std::vector<std::string>> pages = {
        {escapeText("a(b)"), "", escapeText("c\\")}, {}, {"last"}};
    std::vector<PageContent> held;
    for (const auto& lines : pages) held.push_back(buildPageContent(settings, lines));
    testing::TempDir dir;
    {
        TextFileWriter out(dir.file("tree.pdf"));
        testing::writePageTreePdf(out, settings, held);
        out.commit();
    }
    EXPECT_EQ(testing::readBytes(dir.file("tree.pdf")), expectedPageTreePdf(settings, pages));
    {
        TextFileWriter out(dir.file("single.pdf"));
        testing::writeSinglePagePdf(out, settings, held[0]);
        out.commit();
    }
    EXPECT_EQ(testing::readBytes(dir.file("single.pdf")),
              testing::expectedSinglePagePdf(settings, pages[0]));
}

TEST(PaginatedDocument, LandscapeLetterHoldsThirtyFourLinesAPage) {
    ConversionSettings settings;
    settings.pageWidth = "792";
    settings.pageHeight = "612";
    settings.pageWidthValue = 792;
    settings.pageHeightValue = 612;
    settings.textTop = "576";
    settings.rotateText = "90";
    settings.baseFont = "Courier-Bold";
    EXPECT_EQ(convertText(numberedLines(35), settings),
              expectedPageTreePdf(settings, {linesFrom(1, 34), linesFrom(35, 35)}));
}

TEST(SinglePageDocument, OneLineWithStartUpMarginsIsExactlyTheKnownFile) {
    ConversionSettings settings;
    settings.chosen.selfAdaptation = 1;
    std::string pdf = convertText("Hi\n", settings);
    // Height trunc(16.1) + 36 + 15, width 17 ("Hi" at size 14) + 36 + 60.
    ConversionSettings expected;
    expected.pageWidth = "113";
    expected.pageHeight = "67";
    expected.textTop = "31";
    EXPECT_EQ(pdf, testing::expectedSinglePagePdf(expected, {"Hi"}));
    EXPECT_NE(pdf.find("/MediaBox [0 0 113 67 ]"), std::string::npos);
    EXPECT_NE(pdf.find("<< /Length 63 >>"), std::string::npos);
}

TEST(SinglePageDocument, ColouredEmptyPage) {
    ConversionSettings settings;
    settings.chosen.selfAdaptation = 1;
    settings.pageRgb = "0 0 0";
    settings.textRgb = "1 1 1";
    std::string pdf = convertText("", settings);
    ConversionSettings expected = settings;
    expected.pageWidth = "96";
    expected.pageHeight = "51";
    expected.textTop = "15";
    EXPECT_EQ(pdf, testing::expectedSinglePagePdf(expected, {}));
}

}  // namespace
}  // namespace leafwright
