#include "core/fonts/shaping_memory.h"

#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/fonts/system_font_provider.h"

namespace leafwright {
namespace {

// The installed faces, through a provider that keeps no shaping memories:
// each shaper learns alone, as a document converted by itself does.
class WithoutMemories final : public FontProvider {
  public:
    explicit WithoutMemories(FontProvider& faces) : faces_(faces) {}
    const FontFace* faceFor(std::string_view baseFont) override { return faces_.faceFor(baseFont); }
    const FontFace* fallbackFor(std::string_view baseFont, char32_t c) override {
        return faces_.fallbackFor(baseFont, c);
    }
    const FontFace* fallbackForRun(std::string_view baseFont, std::u32string_view run) override {
        return faces_.fallbackForRun(baseFont, run);
    }
    const FontFace* colourFace() override { return faces_.colourFace(); }

  private:
    FontProvider& faces_;
};

struct Document {
    const char* baseFont;
    std::vector<std::u32string> lines;
};

// Documents whose lines mix Latin words (shaped a word at a time and kept)
// with Korean, Devanagari, Thai, Arabic and emoji, the words drawn from
// small sets so that the documents share many of them; the standard font
// changes from one document to the next.
std::vector<Document> generatedDocuments() {
    const std::vector<std::u32string> letters = {
        U"File text page line",
        U"\uAC00\uB098\uB2E4\uB77C\uB9C8\uBC14",
        U"\u0915\u0916\u0917\u0930\u0938\u093F\u0940\u094D",
        U"\u0E01\u0E02\u0E04\u0E07\u0E31\u0E35",
        U"\u0627\u0628\u062A\u0644\u0645\u0646",
        U"\U0001F600\U0001F680\U0001F30D"};
    const char* fonts[] = {"Times-Roman", "Courier", "Helvetica"};
    std::mt19937 random(25);
    std::vector<Document> documents;
    for (int d = 0; d < 9; ++d) {
        Document document{fonts[d % 3], {}};
        for (int l = 0; l < 40; ++l) {
            std::u32string line;
            for (int w = 0; w < 8; ++w) {
                const std::u32string& from = letters[random() % letters.size()];
                if (&from == &letters[0]) {
                    // A whole Latin word, or the document's number.
                    const std::size_t start = (random() % 4) * 5;
                    line +=
                        random() % 3 ? from.substr(start, 4) : U"No" + std::u32string(1, U'0' + d);
                } else {
                    for (int k = 1 + random() % 3; k > 0; --k) line += from[random() % from.size()];
                }
                line += random() % 5 ? U" " : U": ";
            }
            document.lines.push_back(line);
        }
        documents.push_back(document);
    }
    return documents;
}

void expectSameLines(const std::vector<ShapedLine>& got, const std::vector<ShapedLine>& expected,
                     std::size_t document) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t l = 0; l < got.size(); ++l) {
        const std::vector<ShapedGlyph>& a = got[l].glyphs;
        const std::vector<ShapedGlyph>& b = expected[l].glyphs;
        ASSERT_EQ(a.size(), b.size()) << "document " << document << " line " << l;
        EXPECT_EQ(got[l].advance, expected[l].advance) << "document " << document << " line " << l;
        for (std::size_t g = 0; g < a.size(); ++g)
            ASSERT_TRUE(a[g].face == b[g].face && a[g].glyph == b[g].glyph && a[g].x == b[g].x &&
                        a[g].yOffset == b[g].yOffset && a[g].advance == b[g].advance &&
                        a[g].text == b[g].text)
                << "document " << document << " line " << l << " glyph " << g;
    }
}

std::vector<ShapedLine> shaped(FontProvider& provider, const Document& document) {
    LineShaper shaper(provider, document.baseFont, 2000);
    std::vector<ShapedLine> lines;
    for (const std::u32string& line : document.lines) lines.push_back(shaper.shape(line));
    return lines;
}

// A document's glyphs do not depend on which documents were shaped before
// it: in order, in reverse order and two at once (each shaper then holding
// its own memory), every document comes out as shaped by a shaper that
// learnt nothing before it.
TEST(ShapingMemory, DocumentsShapeAlikeWhateverWasShapedBefore) {
    SystemFontProvider provider;
    WithoutMemories alone(provider);
    const std::vector<Document> documents = generatedDocuments();
    std::vector<std::vector<ShapedLine>> expected;
    for (const Document& document : documents) expected.push_back(shaped(alone, document));

    for (std::size_t d = 0; d < documents.size(); ++d)
        expectSameLines(shaped(provider, documents[d]), expected[d], d);
    for (std::size_t d = documents.size(); d-- > 0;)
        expectSameLines(shaped(provider, documents[d]), expected[d], d);

    for (std::size_t d = 0; d + 1 < documents.size(); d += 2) {
        LineShaper first(provider, documents[d].baseFont, 2000);
        LineShaper second(provider, documents[d + 1].baseFont, 2000);
        std::vector<ShapedLine> firstLines, secondLines;
        for (std::size_t l = 0; l < documents[d].lines.size(); ++l) {
            firstLines.push_back(first.shape(documents[d].lines[l]));
            secondLines.push_back(second.shape(documents[d + 1].lines[l]));
        }
        expectSameLines(firstLines, expected[d], d);
        expectSameLines(secondLines, expected[d + 1], d + 1);
    }
}

TEST(ShapingMemory, KeepsAtMostItsBoundOfIdleMemoriesAndPrefersTheSameFont) {
    ShapingMemories memories;
    const WordGlyph glyph{3, 0, 500, 0, 0};
    std::vector<std::unique_ptr<ShapingMemory>> taken;
    for (std::size_t i = 0; i < ShapingMemories::kIdleKept + 2; ++i) {
        taken.push_back(memories.take(i == 0 ? "Courier" : "Times-Roman"));
        // What a shaper leaves: a face found and a word shaped.
        taken.back()->faceOf.emplace(U'a', nullptr);
        taken.back()->words.add(U"word", std::span(&glyph, 1));
    }
    for (auto& memory : taken) memories.giveBack(std::move(memory));
    taken.clear();

    // Courier's memory, given back first, is taken again for Courier with
    // what it learnt; the others come with their words but without the
    // faces of another font, and new ones past the bound.
    taken.push_back(memories.take("Courier"));
    EXPECT_EQ(taken.back()->faceOf.size(), 1u);
    std::size_t withWords = taken.back()->words.heldWords();
    for (std::size_t i = 0; i < ShapingMemories::kIdleKept + 2; ++i) {
        taken.push_back(memories.take("Helvetica"));
        EXPECT_EQ(taken.back()->baseFont, "Helvetica");
        EXPECT_TRUE(taken.back()->faceOf.empty());
        withWords += taken.back()->words.heldWords();
    }
    EXPECT_EQ(withWords, ShapingMemories::kIdleKept);
}

}  // namespace
}  // namespace leafwright
