// Documents of emoji: single emoji an outline face has and newer ones only
// the colour face has, families joined by zero-width joiners, skin tones,
// flags and keycaps, judged by qpdf, pdffonts, pdftotext and a rendering,
// and given back exactly by Unspool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

const std::vector<std::string> kEmoji = {
    "\U0001F600",                                  // grinning face (in Symbola)
    "\U0001FAE8",                                  // shaking face (Unicode 15)
    "\U0001FA77",                                  // pink heart (Unicode 15)
    "\U0001F468\u200D\U0001F469\u200D\U0001F467",  // family
    "\U0001F9D1\U0001F3FD\u200D\U0001F4BB",        // technologist, medium skin
    "\U0001F44D\U0001F3FF",                        // thumbs up, dark skin
    "\U0001F1EF\U0001F1F5",                        // flag of Japan
    "\U0001F1E7\U0001F1F7",                        // flag of Brazil
    "\U0001F3F4\U000E0067\U000E0062\U000E0073\U000E0063\U000E0074\U000E007F",  // Scotland
    "\U0001F3F3\uFE0F\u200D\U0001F308",                                        // rainbow flag
    "7\uFE0F\u20E3",                                                           // keycap seven
    "#\uFE0F\u20E3",                                                           // keycap number sign
    "\u2764\uFE0F",                                                            // red heart
};

const std::vector<std::string> kWords = {"tea", "at",     "noon",  "the", "garden", "party", "is",
                                         "on",  "Friday", "bring", "a",   "friend", "2026"};

std::string generatedText(int lines, unsigned seed) {
    std::mt19937 random(seed);
    std::string text;
    for (int line = 0; line < lines; ++line) {
        for (int item = 3 + static_cast<int>(random() % 5); item > 0; --item) {
            text +=
                random() % 2 ? kEmoji[random() % kEmoji.size()] : kWords[random() % kWords.size()];
            // Emoji also stand next to each other and next to words.
            text += random() % 4 == 0 ? "" : " ";
        }
        text += "\n";
    }
    return text;
}

// The pdffonts rows of Type 3 fonts; every font is embedded and mapped to
// Unicode.
int type3Rows(const std::string& pdf) {
    const auto fonts = runProcess({"pdffonts", pdf});
    EXPECT_EQ(fonts.exitStatus, 0) << fonts.err;
    const std::vector<std::string> rows = splitLines(fonts.out);
    int type3 = 0;
    for (std::size_t i = 2; i < rows.size(); ++i) {
        if (rows[i].find("Type 3") != std::string::npos) {
            ++type3;
            EXPECT_NE(rows[i].find("yes no  yes"), std::string::npos) << rows[i];
        } else {
            EXPECT_NE(rows[i].find("yes yes yes"), std::string::npos) << rows[i];
        }
    }
    return type3;
}

// The pixels of the first page, rendered at `resolution` dots an inch, for
// which `counts` holds.
int firstPagePixels(const TempDir& dir, const std::string& pdf, int resolution,
                    const std::function<bool(int red, int green, int blue)>& counts) {
    const auto render = runProcess({"pdftoppm", "-r", std::to_string(resolution), "-f", "1", "-l",
                                    "1", "-singlefile", pdf, dir.file("page")});
    EXPECT_EQ(render.exitStatus, 0) << render.err;
    const std::string ppm = testing::readBytes(dir.file("page.ppm"));
    // "P6\nW H\n255\n" then the pixels.
    std::size_t at = 0;
    for (int fields = 0; fields < 4 && at < ppm.size(); ++at)
        if (ppm[at] == '\n' || ppm[at] == ' ') ++fields;
    int counted = 0;
    for (; at + 2 < ppm.size(); at += 3)
        if (counts(static_cast<unsigned char>(ppm[at]), static_cast<unsigned char>(ppm[at + 1]),
                   static_cast<unsigned char>(ppm[at + 2])))
            ++counted;
    return counted;
}

// Pixels, rendered small, whose colour is far from grey: black text on
// white has none.
int colouredPixels(const TempDir& dir, const std::string& pdf) {
    return firstPagePixels(dir, pdf, 40, [](int r, int g, int b) {
        return std::max({r, g, b}) - std::min({r, g, b}) > 60;
    });
}

// Pixels that are nearly white.
int whitishPixels(const TempDir& dir, const std::string& pdf) {
    return firstPagePixels(dir, pdf, 100,
                           [](int r, int g, int b) { return r > 235 && g > 235 && b > 235; });
}

TEST(EmojiDocuments, PrintInColourAndComeBackExactly) {
    if (!std::filesystem::exists("/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"))
        GTEST_SKIP() << "no Noto Color Emoji";
    if (!haveProgram("pdffonts") || !haveProgram("pdftotext") || !haveProgram("pdftoppm"))
        GTEST_SKIP() << "no poppler";
    struct Case {
        const char* name;
        std::string config;
        int lines;
    };
    const std::vector<Case> cases = {
        {"times", configFor("Times-Roman"), 120},
        {"courier", configFor("Courier"), 60},
        {"adapting", configFor("Courier", true), 30},
        {"compressed", configFor("Times-Roman") + "compress=TRUE\n", 60},
    };
    TempDir dir;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.name);
        const std::string text = generatedText(c.lines, 40 + static_cast<unsigned>(k));
        writeBytes(dir.file(std::string(c.name) + ".txt"), text);
        // No character is shown as "?": the conversion says nothing.
        EXPECT_EQ(convertAndUnspool(dir, c.config, c.name), withCrLf(text));
        const std::string pdf = dir.file("back/" + std::string(c.name) + ".pdf");
        expectQpdfFindsNothing(pdf);
        EXPECT_GE(type3Rows(pdf), 1);

        const auto extracted = runProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"});
        ASSERT_EQ(extracted.exitStatus, 0) << extracted.err;
        EXPECT_EQ(whereTheyPart(withoutWhiteSpace(extracted.out), withoutWhiteSpace(text)), "");
        EXPECT_GT(colouredPixels(dir, pdf), 50);
    }
}

// On a yellow page a picture is laid on yellow: no white box and no pale
// edge around a pink heart, which has no white of its own.
TEST(EmojiDocuments, PicturesAreLaidOnThePageColour) {
    if (!std::filesystem::exists("/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"))
        GTEST_SKIP() << "no Noto Color Emoji";
    if (!haveProgram("pdftoppm")) GTEST_SKIP() << "no poppler";
    std::string text;
    for (int line = 0; line < 6; ++line) text += "\U0001FA77 \U0001FA77\U0001FA77 \U0001FA77\n";
    TempDir dir;
    writeBytes(dir.file("hearts.txt"), text);
    std::string config = configFor("Times-Roman");
    config.replace(config.find("White"), 5, "Yellow");
    EXPECT_EQ(convertAndUnspool(dir, config, "hearts"), withCrLf(text));
    const std::string pdf = dir.file("back/hearts.pdf");
    expectQpdfFindsNothing(pdf);
    EXPECT_GT(colouredPixels(dir, pdf), 50);
    EXPECT_EQ(whitishPixels(dir, pdf), 0);
}

// More emoji than one Type 3 font has codes for (every pair of regional
// indicators, most of them no flag) go into several fonts.
TEST(EmojiDocuments, ManyEmojiTakeSeveralType3Fonts) {
    if (!std::filesystem::exists("/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"))
        GTEST_SKIP() << "no Noto Color Emoji";
    if (!haveProgram("pdffonts")) GTEST_SKIP() << "no poppler";
    std::string text;
    for (char32_t first = 0x1F1E6; first <= 0x1F1FF; ++first) {
        for (char32_t second = 0x1F1E6; second <= 0x1F1FF; ++second) {
            for (const char32_t c : {first, second}) {
                text += static_cast<char>(0xF0);
                text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                text += static_cast<char>(0x80 | (c & 0x3F));
            }
            text += ' ';
        }
        text += '\n';
    }
    TempDir dir;
    writeBytes(dir.file("flags.txt"), text);
    EXPECT_EQ(convertAndUnspool(dir, configFor("Helvetica"), "flags"), withCrLf(text));
    const std::string pdf = dir.file("back/flags.pdf");
    expectQpdfFindsNothing(pdf);
    EXPECT_GE(type3Rows(pdf), 2);
}

}  // namespace
}  // namespace leafwright
