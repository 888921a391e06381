// Faces with CFF outlines in small documents judged by outside tools: a
// name-keyed program made here (made CID-keyed on the way), and the Noto CJK
// collection's faces when it is installed.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/fonts/truetype_face.h"
#include "core/text/text_encoding.h"
#include "font_test_document.h"
#include "support/pdf_structure.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

const std::string kNotoSansCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";

// --- A name-keyed CFF program, written byte by byte -------------------------

std::string index(const std::vector<std::string>& items) {
    std::string out;
    out += static_cast<char>(items.size() >> 8);
    out += static_cast<char>(items.size() & 0xFF);
    if (items.empty()) return out;
    out += '\1';  // offsets of one byte: the items here are small
    std::size_t offset = 1;
    out += static_cast<char>(offset);
    for (const std::string& item : items) out += static_cast<char>(offset += item.size());
    for (const std::string& item : items) out += item;
    return out;
}

// A charstring or DICT number in the three-byte form.
std::string number(int value) {
    return {'\x1C', static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
}

// Glyph 1 is a filled 600-unit square drawn through a local subroutine,
// glyph 2 a 100-unit wide bar; a private DICT with Subrs, charset and
// encoding left to their defaults, as in an OpenType face's CFF table.
std::string nameKeyedCff() {
    const std::string square = number(100) + number(0) + "\x15" +  // rmoveto
                               "\x20"                              /* -107: subroutine 0 */
                               "\x0A" /* callsubr */ "\x0E";
    const std::string subr = number(600) + "\x06" + number(600) + "\x07" + number(-600) +
                             "\x06" /* hlineto vlineto hlineto */ "\x0B";  // return
    const std::string bar = number(100) + number(0) + "\x15" + number(100) + "\x06" + number(700) +
                            "\x07" + number(-100) + "\x06\x0E";
    const std::string charStrings = index({"\x0E", square, bar});
    const std::string subrs = index({subr});
    // Private DICT: defaultWidthX 700, Subrs right after the DICT.
    std::string privateDict = number(700) + "\x14";
    privateDict += number(static_cast<int>(privateDict.size() + 4)) + "\x13";

    const std::string header("\x01\x00\x04\x02", 4);
    const std::string names = index({"Squares"});
    const std::string strings = index({});
    const std::string globalSubrs = index({});
    // The top DICT: FontBBox, CharStrings offset, Private size and offset.
    auto topDict = [&](int charStringsAt, int privateAt) {
        return number(0) + number(0) + number(700) + number(700) + "\x05" + number(charStringsAt) +
               "\x11" + number(static_cast<int>(privateDict.size())) + number(privateAt) + "\x12";
    };
    const std::size_t topSize = index({topDict(0, 0)}).size();
    const int charStringsAt = static_cast<int>(header.size() + names.size() + topSize +
                                               strings.size() + globalSubrs.size());
    const int privateAt = charStringsAt + static_cast<int>(charStrings.size());
    return header + names + index({topDict(charStringsAt, privateAt)}) + strings + globalSubrs +
           charStrings + privateDict + subrs;
}

// 'A' and 'B' share the square, 'C' is the bar; everything else is missing.
class SquaresFace final : public FontFace {
  public:
    // The program cut to `programBytes` when given, as a damaged font file
    // would give it.
    explicit SquaresFace(std::size_t programBytes = std::string::npos)
        : programBytes_(programBytes) {}
    const std::string& postScriptName() const override { return name_; }
    GlyphId glyphFor(char32_t c) const override {
        return c == U'A' || c == U'B' ? 1 : c == U'C' ? 2 : 0;
    }
    int advanceWidth(GlyphId glyph) const override { return glyph == 0 ? 0 : 700; }
    FontMetrics metrics() const override {
        FontMetrics m;
        m.ascent = 700;
        m.capHeight = 700;
        m.bboxRight = m.bboxTop = 700;
        return m;
    }
    FontOutlines outlines() const override { return FontOutlines::cff; }
    FontSubset subset(const std::vector<GlyphId>& glyphs) const override {
        FontSubset subset{nameKeyedCff().substr(0, programBytes_), {}};
        for (GlyphId glyph : glyphs) subset.newGlyphIds[glyph] = glyph;
        return subset;
    }

  private:
    std::size_t programBytes_;
    std::string name_ = "Squares";
};

class OneFaceProvider final : public FontProvider {
  public:
    explicit OneFaceProvider(const FontFace& face) : face_(face) {}
    const FontFace* faceFor(std::string_view) override { return &face_; }
    const FontFace* fallbackFor(std::string_view, char32_t) override { return nullptr; }

  private:
    const FontFace& face_;
};

// The grey levels of a binary PGM ("P5") that mutool drew.
struct GreyImage {
    int width = 0, height = 0;
    std::string pixels;
    int at(int x, int y) const {
        return static_cast<unsigned char>(pixels[static_cast<std::size_t>(y) * width + x]);
    }
};

GreyImage readPgm(const std::string& bytes) {
    GreyImage image;
    std::size_t at = 0;
    auto field = [&] {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    if (field() != "P5") return image;
    image.width = std::stoi(field());
    image.height = std::stoi(field());
    field();  // the largest value
    image.pixels = bytes.substr(at + 1);
    if (image.pixels.size() < static_cast<std::size_t>(image.width) * image.height)
        image.width = image.height = 0;
    return image;
}

// The share of dark pixels in a box of the page, drawn at 72 dpi.
double darkShare(const GreyImage& image, int left, int top, int right, int bottom) {
    int dark = 0, all = 0;
    for (int y = top; y < bottom && y < image.height; ++y)
        for (int x = left; x < right && x < image.width; ++x, ++all)
            if (image.at(x, y) < 128) ++dark;
    return all == 0 ? 0 : static_cast<double>(dark) / all;
}

// What mutool said on its error output, less the note of a build without
// colour management.
std::string mutoolComplaints(const std::string& err) {
    std::string complaints;
    for (const std::string& line : testing::splitLines(err))
        if (line != "warning: ICC support is not available") complaints += line + "\n";
    return complaints;
}

void expectQpdfClean(const std::string& path) {
    const auto check = runProcess({"qpdf", "--check", path});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_EQ(check.out.find("WARNING"), std::string::npos) << check.out;
}

// The pdffonts rows after the heading.
std::vector<std::string> fontRows(const std::string& path) {
    const auto fonts = runProcess({"pdffonts", path});
    EXPECT_EQ(fonts.exitStatus, 0) << fonts.err;
    std::vector<std::string> rows = testing::splitLines(fonts.out);
    rows.erase(rows.begin(), rows.begin() + std::min<std::size_t>(2, rows.size()));
    return rows;
}

// Two codes for one glyph of a name-keyed program become two CIDs drawing
// it, the other glyph keeps its shape, and each code keeps its own text.
TEST(CffFontDocument, NameKeyedProgramIsDrawnAndReadByItsCodes) {
    if (!haveProgram("mutool") || !haveProgram("pdffonts")) GTEST_SKIP() << "no mutool/pdffonts";
    SquaresFace face;
    OneFaceProvider provider(face);
    // At 10 points a glyph is 7 points wide: A at x 36-43, B at 43-50, C at
    // 50-57 on the first line (baseline 788 from the bottom of 842).
    const auto document = buildFontTestDocument(provider, "Times-Roman", {U"ABC"});
    EXPECT_EQ(document.notPrintable, 0u);
    EXPECT_EQ(testing::checkPdfStructure(document.pdf).fault, "");
    TempDir folder;
    const std::string path = folder.file("squares.pdf");
    testing::writeBytes(path, document.pdf);
    expectQpdfClean(path);

    const std::vector<std::string> rows = fontRows(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find("+Squares"), std::string::npos) << rows[0];
    EXPECT_NE(rows[0].find("CID Type 0C"), std::string::npos) << rows[0];
    EXPECT_NE(rows[0].find("yes yes yes"), std::string::npos) << rows[0];

    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
    EXPECT_EQ(withoutWhiteSpace(text.out), "ABC");

    const std::string picture = folder.file("squares.pgm");
    const auto draw = runProcess({"mutool", "draw", "-q", "-r", "72", "-o", picture, path, "1"});
    ASSERT_EQ(draw.exitStatus, 0) << draw.err;
    EXPECT_EQ(mutoolComplaints(draw.err), "");
    const GreyImage image = readPgm(testing::readBytes(picture));
    ASSERT_EQ(image.width, 595);
    const int top = 842 - 788;  // the baseline, in rows from the top
    // The squares (x 37-43 and 44-50 from y 0 to 6) are filled...
    EXPECT_GT(darkShare(image, 38, top - 5, 42, top - 1), 0.9);
    EXPECT_GT(darkShare(image, 45, top - 5, 49, top - 1), 0.9);
    // ...the bar (x 51-52 up to 7) is thin: the space beside it stays white.
    EXPECT_GT(darkShare(image, 51, top - 6, 52, top - 1), 0.5);
    EXPECT_LT(darkShare(image, 53, top - 6, 57, top - 1), 0.1);
    // Nothing above the glyphs, which end at 7 points.
    EXPECT_LT(darkShare(image, 36, top - 20, 60, top - 9), 0.01);
}

// A CFF font holds one code fewer than a TrueType one (its CIDs and CID 0
// fit in 65,535 glyphs): a face whose codes run out continues in a second
// font, and both programs are made.
TEST(CffFontDocument, AFullCffFontContinuesInAnotherAndBothAreMade) {
    SquaresFace face;
    OneFaceProvider provider(face);
    DocumentFonts fonts(provider, "Times-Roman");
    const std::size_t count = 70000;
    for (std::size_t n = 0; n < count; ++n) {
        // A text of its own for each, so that each takes a code.
        const std::u32string text = {U'A', static_cast<char32_t>(0x4E00 + n % 20000),
                                     static_cast<char32_t>(0x4E00 + n / 20000)};
        fonts.showGlyph(face, 1 + n % 2, text, 700, fonts.fonts().size() - 1);
    }
    ASSERT_EQ(fonts.fonts().size(), 2u);
    EXPECT_EQ(fonts.fonts()[0].codeCount(), EmbeddedFont::kMaxCodes - 1);
    EXPECT_EQ(fonts.fonts()[1].codeCount(), count - (EmbeddedFont::kMaxCodes - 1));
    for (const EmbeddedFont& font : fonts.fonts()) {
        const std::vector<FontObject> objects = embeddedFontObjects(font, 5, 6);
        ASSERT_EQ(objects.size(), static_cast<std::size_t>(embeddedFontObjectCount(font)));
        EXPECT_NE(objects.back().text.find("/Subtype /CIDFontType0C"), std::string::npos);
    }
}

// A program cut short anywhere is refused with a message naming the face,
// never read past its end.
TEST(CffFontDocument, ADamagedProgramIsRefusedNamingTheFace) {
    const std::size_t whole = nameKeyedCff().size();
    for (std::size_t bytes = 0; bytes < whole; bytes += 7) {
        SCOPED_TRACE(bytes);
        SquaresFace face(bytes);
        OneFaceProvider provider(face);
        DocumentFonts fonts(provider, "Times-Roman");
        ASSERT_TRUE(fonts.show(U'A'));
        try {
            embeddedFontObjects(fonts.fonts().front(), 5, 6);
            ADD_FAILURE() << "a damaged program was embedded";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("font Squares: the CFF font program is", 0),
                      0u)
                << error.what();
        }
    }
}

// --- The Noto CJK collection ---------------------------------------------------

// The faces of a collection are told apart by their index: the Japanese and
// the Korean face share one CFF program but not their character maps.
TEST(CffFontDocument, CollectionFaceIsTheOneItsIndexNames) {
    if (!std::filesystem::exists(kNotoSansCjk)) GTEST_SKIP() << "no Noto Sans CJK";
    const auto japanese = openTrueTypeFace(kNotoSansCjk, 0);
    const auto korean = openTrueTypeFace(kNotoSansCjk, 1);
    ASSERT_TRUE(japanese && korean);
    EXPECT_EQ(japanese->postScriptName(), "NotoSansCJKjp-Regular");
    EXPECT_EQ(korean->postScriptName(), "NotoSansCJKkr-Regular");
    EXPECT_EQ(korean->outlines(), FontOutlines::cff);
    EXPECT_EQ(korean->file().index, 1u);
    // 乳 and 侮 are drawn differently in Japan and Korea.
    EXPECT_NE(japanese->glyphFor(U'\u4E73'), korean->glyphFor(U'\u4E73'));
    EXPECT_NE(japanese->glyphFor(U'\u4FAE'), korean->glyphFor(U'\u4FAE'));
    EXPECT_EQ(japanese->glyphFor(U'\uAC00'), korean->glyphFor(U'\uAC00'));
}

// Korean and Japanese set in the Korean face of the collection: one CID
// font with the face's own name, a sound file that mutool draws without a
// complaint, and the text back from pdftotext.
TEST(CffFontDocument, KoreanAndJapaneseInACollectionFace) {
    if (!std::filesystem::exists(kNotoSansCjk)) GTEST_SKIP() << "no Noto Sans CJK";
    if (!haveProgram("pdffonts")) GTEST_SKIP() << "no pdffonts";
    const auto korean = openTrueTypeFace(kNotoSansCjk, 1);
    ASSERT_TRUE(korean);
    OneFaceProvider provider(*korean);
    const std::vector<std::u32string> lines = {
        U"\uD55C\uAD6D\uC5B4 \uBB38\uC7A5\uC744 \uC4F0\uACE0 \uC788\uC2B5\uB2C8\uB2E4.",
        U"\u65E5\u672C\u8A9E\u306E\u6587\u3082\u3042\u308A\u307E\u3059\u3002\u4E73\u4FAE",
        U"Latin 0123 (mixed) \u3131\u314F \uAC00\uAC01\uAC02",
    };
    const auto document = buildFontTestDocument(provider, "Helvetica", lines);
    EXPECT_EQ(document.notPrintable, 0u);
    TempDir folder;
    const std::string path = folder.file("cjk.pdf");
    testing::writeBytes(path, document.pdf);
    expectQpdfClean(path);

    const std::vector<std::string> rows = fontRows(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find("+NotoSansCJKkr-Regular"), std::string::npos) << rows[0];
    EXPECT_NE(rows[0].find("CID Type 0C"), std::string::npos) << rows[0];
    EXPECT_NE(rows[0].find("yes yes yes"), std::string::npos) << rows[0];

    const auto text = runProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
    std::string expected;
    for (const auto& line : lines)
        for (char32_t c : line)
            if (c != U' ') appendUtf8(c, expected);
    EXPECT_EQ(withoutWhiteSpace(text.out), expected);

    if (!haveProgram("mutool")) return;
    const auto draw =
        runProcess({"mutool", "draw", "-q", "-r", "50", "-o", folder.file("cjk.png"), path, "1"});
    EXPECT_EQ(draw.exitStatus, 0) << draw.err;
    EXPECT_EQ(mutoolComplaints(draw.err), "");
    const auto mutoolText = runProcess({"mutool", "draw", "-q", "-F", "txt", path, "1"});
    EXPECT_EQ(withoutWhiteSpace(mutoolText.out), expected);
}

}  // namespace
}  // namespace leafwright
