// Documents beyond the standard font's character set, judged by outside
// tools (qpdf, pdffonts, pdftotext) and by Unspool giving the source back.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

const std::string kMixedDocument =
    "Price: \u20AC5, na\u00EFve caf\u00E9, \u0161\u0159\u0119\u0142\u0101\n"
    "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \u2014 \u0420\u0443\u0441\u0441\u043A"
    "\u0438\u0439 \u0442\u0435\u043A\u0441\u0442\n"
    "\u250C\u2500\u2500\u2500\u2500\u2510\n"
    "\u2502 box \u2502\n"
    "\u2514\u2500\u2500\u2500\u2500\u2518\n"
    "\u4E2D\u6587\u4F60\u597D \u65E5\u672C\u8A9E\u3072\u3089\u304C\u306A\u30AB\u30BF\u30AB\u30CA\n"
    "Name\tValue\tUnit\n"
    "Width\t12.5\tcm\n"
    "Caf\u0065\u0301 (\\) #$% BT ET\n";

// The same mixed document in each family: a sound file, every font embedded
// as a subset with a Unicode map, every character extracted by pdftotext,
// and the source back exactly from Unspool.
TEST(EmbeddedFonts, MixedDocumentInEachFamily) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), kMixedDocument);
    for (const std::string font : {"Times-Roman", "Helvetica-Bold", "Courier-Oblique"}) {
        SCOPED_TRACE(font);
        EXPECT_EQ(convertAndUnspool(dir, configFor(font)), withCrLf(kMixedDocument));
        const std::string pdf = dir.file("back/source.pdf");
        const std::string bytes = readBytes(pdf);
        EXPECT_TRUE(bytes.starts_with("%PDF-1.3\r\n"));
        // Still a text file: printable ASCII and CR LF line ends only.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            ASSERT_TRUE((byte >= 0x20 && byte < 0x7F) ||
                        (byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ||
                        (byte == '\n' && i > 0 && bytes[i - 1] == '\r'))
                << "byte " << int(byte) << " at " << i;
        }
        expectQpdfFindsNothing(pdf);
        if (haveProgram("pdffonts")) {
            auto fonts = runProcess({"pdffonts", pdf});
            ASSERT_EQ(fonts.exitStatus, 0) << fonts.err;
            const std::vector<std::string> rows = splitLines(fonts.out);
            ASSERT_GE(rows.size(), 4u) << fonts.out;  // the main face and fallbacks
            for (std::size_t i = 2; i < rows.size(); ++i) {
                std::istringstream fields(rows[i]);
                std::string name, type1, type2, encoding, embedded, subset, unicode;
                fields >> name >> type1 >> type2;
                // TrueType faces, or CFF ones ("CID Type 0C") for CJK.
                if (type2 == "Type") {
                    std::string rest;
                    fields >> rest;
                    type2 += " " + rest;
                }
                fields >> encoding >> embedded >> subset >> unicode;
                EXPECT_EQ(name[6], '+') << rows[i];
                EXPECT_TRUE(type1 + " " + type2 == "CID TrueType" ||
                            type1 + " " + type2 == "CID Type 0C")
                    << rows[i];
                EXPECT_EQ(embedded + subset + unicode, "yesyesyes") << rows[i];
            }
        }
        if (haveProgram("pdftotext")) {
            auto text = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
            ASSERT_EQ(text.exitStatus, 0) << text.err;
            // pdftotext joins e + combining acute into one character.
            std::string expected = withoutWhiteSpace(kMixedDocument);
            std::string got = withoutWhiteSpace(text.out);
            const std::string decomposed = "e\u0301", composed = "\u00E9";
            for (std::string* s : {&expected, &got})
                for (std::size_t at; (at = s->find(decomposed)) != std::string::npos;)
                    s->replace(at, decomposed.size(), composed);
            EXPECT_EQ(got, expected);
        }
    }
}

// In Courier a wide character takes two columns and a combining mark none,
// so lines of as many columns end at the same place: pdftotext's word boxes
// of "ab|", "中|" and "éx|" (e plus combining acute) end alike.
TEST(EmbeddedFonts, CourierKeepsColumnsAligned) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    TempDir dir;
    writeBytes(dir.file("source.txt"), "abc|\n\u4E2Dz|\ne\u0301xy|\n");
    convertAndUnspool(dir, configFor("Courier"));
    auto boxes = runProcess({"pdftotext", "-bbox", dir.file("back/source.pdf"), "-"});
    ASSERT_EQ(boxes.exitStatus, 0) << boxes.err;
    std::vector<double> wordEnds;
    for (const std::string& line : splitLines(boxes.out)) {
        const std::size_t at = line.find("xMax=\"");
        // The word that ends each line (the wide character may stand apart).
        if (line.find("|</word>") == std::string::npos || at == std::string::npos) continue;
        wordEnds.push_back(std::stod(line.substr(at + 6)));
    }
    ASSERT_EQ(wordEnds.size(), 3u) << boxes.out;
    EXPECT_NEAR(wordEnds[0], 36 + 4 * 14 * 0.6, 0.05);  // four columns from the margin
    EXPECT_NEAR(wordEnds[1], wordEnds[0], 0.05);
    EXPECT_NEAR(wordEnds[2], wordEnds[0], 0.05);
}

// Generated sources over Latin with the euro sign, Greek, Cyrillic, box
// drawing, Han and kana, combining accents, tabs, the characters PDF strings
// and older extraction treated specially, and characters that share a glyph
// (the angstrom sign and A with ring), and pieces of lines that need
// shaping: each comes back exactly, in both layouts, and every file passes
// qpdf.
TEST(EmbeddedFonts, GeneratedSourcesComeBackExactly) {
    const std::vector<std::string> pieces = {
        "a", "Z", " ", "\t", "\\", "(", ")", "#$%", "#$&", "BT", " ET ", "GET", "\u20AC", "\u00E9",
        "\u00DF", "\u0161", "\u0142", "\u03A9", "\u03B1", "\u0416", "\u044F", "\u2500", "\u2502",
        "\u250C", "\u4E2D", "\u6587", "\u3072", "\u30AB", "\u0301", "\u0308", "\u212B", "\u00C5",
        "'", "<41>", "[x] TJ", "\u2014", "%", "\u00A0", "\u200B", "\x01", "\u00BD", "\u2603",
        "\uFF21", "/F2", "\r",
        // Lines that need shaping: Arabic (lam-alef), Hebrew, Devanagari,
        // a direction override.
        "\u0644\u0627", "\u0645\u0631\u062D\u0628\u0627", "\u05E9\u05DC\u05D5\u05DD",
        "\u0915\u093F", "\u202E", "123"};
    std::mt19937 random(1414);
    TempDir dir;
    for (int document = 0; document < 8; ++document) {
        SCOPED_TRACE(document);
        std::string source, expected;
        const int lines = 5 + static_cast<int>(random() % 70);
        for (int line = 0; line < lines; ++line) {
            std::string text;
            for (int k = static_cast<int>(random() % 16); k > 0; --k)
                text += pieces[random() % pieces.size()];
            // A CR right before the line end would be taken as part of it.
            if (!text.empty() && text.back() == '\r') text += "x";
            source += text + "\n";
            expected += text + "\r\n";
        }
        writeBytes(dir.file("source.txt"), source);
        const char* fonts[] = {"Times-Roman", "Helvetica", "Courier", "Times-Italic"};
        const std::string font = fonts[document % 4];
        EXPECT_EQ(convertAndUnspool(dir, configFor(font, document % 3 == 2)), expected) << source;
        expectQpdfFindsNothing(dir.file("back/source.pdf"));
    }
}

// A character no installed face has prints as "?"; the file is written and
// the run says how many, without changing the exit status.
TEST(EmbeddedFonts, CharactersNoFaceHasAreCountedInAWarning) {
    TempDir dir;
    // U+0378 is unassigned: no font has a glyph for it.
    writeBytes(dir.file("odd.txt"), "a\u0378b\u0378\n\u20AC\n");
    auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "odd.txt"}, dir.path());
    EXPECT_EQ(convert.exitStatus, 0);
    EXPECT_EQ(convert.out, "odd.pdf\n");
    EXPECT_EQ(convert.err,
              "leafwright-cli: odd.txt: 2 characters could not be printed (shown as ?)\n");
    auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "--force", "odd.pdf"}, dir.path());
    EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
    EXPECT_EQ(readBytes(dir.file("odd.txt")), "a?b?\r\n\u20AC\r\n");
}

}  // namespace
}  // namespace leafwright
