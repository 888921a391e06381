// Converts a few hundred generated texts with settings drawn from the value
// tables and has two outside readers judge every document: qpdf must find
// nothing to warn about, and pdftotext must read back the source lines. The
// seed is fixed, so a failure names a case that can be run again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/settings/derivation.h"
#include "core/settings/value_tables.h"
#include "support/pdf_structure.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

constexpr int kDocuments = 300;

// Characters every font shows through its MacRoman encoding, ASCII
// delimiters that need escaping among them, as UTF-8.
const std::vector<std::string> kCharacters = {
    "a", "b", "e",  "k", "m", "r", "s", "t", "x", "z", "A",  "Q", "W", "0", "7",
    "(", ")", "\\", ".", ",", ";", "!", "%", "&", "'", "\"", "<", ">", "[", "]",
    "{", "}", "é",  "è", "ü", "ß", "ç", "Ñ", "Å", "ø", "æ",  "Œ", "¿", "¡", "«",
    "»", "–", "—",  "“", "”", "‘", "’", "…", "†", "°", "£",  "¥", "§", "©", "®"};

template <typename Table>
const auto& pick(std::mt19937& random, const Table& table) {
    return table[std::uniform_int_distribution<std::size_t>(0, table.size() - 1)(random)];
}

int between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Words of the characters above, one blank between them, no wider than
// `maxCharacters` (the widest glyph is one em, so such a line fits).
std::string randomLine(std::mt19937& random, int maxCharacters) {
    std::string line;
    int length = between(random, 0, std::max(0, maxCharacters));
    for (int i = 0; i < length; ++i) {
        bool blank = i > 0 && i + 1 < length && between(random, 0, 5) == 0 && line.back() != ' ';
        line += blank ? std::string(" ") : pick(random, kCharacters);
    }
    return line;
}

// The lines a reader shows, without the empty ones and without blanks:
// pdftotext decides word gaps from glyph positions and may drop a blank
// between narrow glyphs, so blanks are not compared.
std::vector<std::string> shownLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string line : splitLines(text)) {
        std::erase(line, '\f');
        std::erase(line, ' ');
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

TEST(PdfValidityProperty, GeneratedDocumentsPassQpdfAndReadBack) {
    if (!haveProgram("qpdf") || !haveProgram("pdftotext"))
        GTEST_SKIP() << "qpdf or pdftotext not installed";
    std::mt19937 random(20240607);
    TempDir dir;

    for (int n = 0; n < kDocuments; ++n) {
        ChosenValues chosen;
        chosen.selfAdaptation = between(random, 0, 1);
        const PageStyle& style = pick(random, pageStyles());
        chosen.pageStyle = std::string(style.label);
        chosen.landscape = between(random, 0, 1);
        chosen.font = std::string(pick(random, fontNames()));
        const FontSizeRow& size = pick(random, fontSizes());
        chosen.fontSize = std::string(size.sizeText);
        chosen.textColor = std::string(pick(random, colours()).name);
        chosen.pageColor = std::string(pick(random, colours()).name);
        // pdftotext reads rotated pages in another order; rotation is
        // covered by qpdf alone.
        chosen.rotation = "0";
        int width = chosen.landscape ? style.height : style.width;
        int height = chosen.landscape ? style.width : style.height;
        chosen.topMargin = std::to_string(between(random, 0, height / 3));
        chosen.leftMargin = std::to_string(between(random, 0, width / 3));
        chosen.folder = kDefaultPath;
        chosen.title = randomLine(random, 12);

        ConversionSettings settings;
        ASSERT_EQ(deriveSettings(settings, chosen), 0) << "document " << n;

        const int maxCharacters = chosen.selfAdaptation
                                      ? 80
                                      : (width - settings.leftMarginValue) / size.fontSizeValue - 1;
        std::vector<std::string> lines(between(random, 0, between(random, 0, 1) ? 20 : 150));
        std::string source;
        for (std::string& line : lines) source += (line = randomLine(random, maxCharacters)) + "\n";

        const std::string name = "doc" + std::to_string(n);
        writeBytes(dir.file(name + ".txt"), source);
        try {
            convertFile(dir.file(name + ".txt"), dir.file(name + ".pdf"), settings);
        } catch (const FileError& error) {
            // Only a page on which no line fits may be refused.
            EXPECT_EQ(chosen.selfAdaptation, 0) << name << ": " << error.cause();
            EXPECT_NE(error.cause().find("No line fits"), std::string::npos) << error.cause();
            continue;
        }
        const std::string pdf = dir.file(name + ".pdf");
        EXPECT_EQ(checkPdfStructure(readBytes(pdf)).fault, "") << name;

        ProcessResult check = runProcess({"qpdf", "--check", pdf});
        EXPECT_EQ(check.exitStatus, 0) << name << "\n" << check.out << check.err;
        EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << name << "\n" << check.out;

        ProcessResult text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
        EXPECT_EQ(text.exitStatus, 0) << name << "\n" << text.err;
        const std::vector<std::string> read = shownLines(text.out), written = shownLines(source);
        EXPECT_EQ(read.size(), written.size()) << name;
        for (std::size_t i = 0; i < std::min(read.size(), written.size()); ++i) {
            if (read[i] == written[i]) continue;
            ADD_FAILURE() << name << " (" << chosen.font << " " << chosen.fontSize << ") line " << i
                          << ": read \"" << read[i] << "\", written \"" << written[i] << "\"";
            break;
        }
        if (::testing::Test::HasFailure()) break;  // one case tells the story
    }
}

}  // namespace
}  // namespace leafwright::testing
