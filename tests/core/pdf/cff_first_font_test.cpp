// A document whose main face has CFF outlines and whose fallback is a
// TrueType face, through the writer: the two fonts take different numbers
// of objects, and every reference and cross-reference entry must still meet
// its object.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "support/fixed_font_provider.h"
#include "support/pdf_structure.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using leafwright::testing::withoutWhiteSpace;
using testing::haveProgram;
using testing::runProcess;
using testing::TempDir;

TEST(CffFirstFont, MainCffFaceAndTrueTypeFallbackAreBothWritten) {
    const std::string noto = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(noto) || !std::filesystem::exists(dejaVu))
        GTEST_SKIP() << "no Noto Sans CJK or DejaVu Sans";
    testing::FixedFontProvider provider({noto, dejaVu});
    TempDir dir;
    // Korean and Latin from the CFF face, Georgian from the fallback, on
    // two pages.
    std::string source;
    for (int line = 0; line < 80; ++line)
        source += "\uD55C\uAD6D\uC5B4 line " + std::to_string(line) +
                  (line % 3 == 0 ? " \u10E5\u10D0\u10E0\u10D7\u10E3\u10DA\u10D8\n" : "\n");
    testing::writeBytes(dir.file("source.txt"), source);
    ConversionSettings settings;
    const ConversionOutcome outcome =
        convertSource(dir.file("source.txt"), dir.file("source.pdf"), settings, {}, &provider);
    EXPECT_EQ(outcome.notPrintable, 0u);
    EXPECT_GE(outcome.pages, 2u);
    const std::string pdf = testing::readBytes(dir.file("source.pdf"));
    EXPECT_EQ(testing::checkPdfStructure(pdf).fault, "");

    if (!haveProgram("qpdf") || !haveProgram("pdffonts")) return;
    const auto check = runProcess({"qpdf", "--check", dir.file("source.pdf")});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
    const auto fonts = runProcess({"pdffonts", dir.file("source.pdf")});
    const std::vector<std::string> rows = testing::splitLines(fonts.out);
    ASSERT_EQ(rows.size(), 4u) << fonts.out;
    EXPECT_NE(rows[2].find("+NotoSansCJKjp-Regular"), std::string::npos) << rows[2];
    EXPECT_NE(rows[2].find("CID Type 0C"), std::string::npos) << rows[2];
    EXPECT_NE(rows[3].find("+DejaVuSans"), std::string::npos) << rows[3];
    EXPECT_NE(rows[3].find("CID TrueType"), std::string::npos) << rows[3];
    for (std::size_t i = 2; i < rows.size(); ++i)
        EXPECT_NE(rows[i].find("yes yes yes"), std::string::npos) << rows[i];
    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", dir.file("source.pdf"), "-"});
    EXPECT_EQ(withoutWhiteSpace(text.out), withoutWhiteSpace(source));
}

}  // namespace
}  // namespace leafwright
