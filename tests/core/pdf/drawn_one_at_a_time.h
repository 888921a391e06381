// Draws generated lines through ShownLines, which takes known characters
// many at a time, and through EmbeddedFontStrings one decoded character at
// a time, and holds the two to the same bytes and columns. The tests of the
// quick paths (plain ASCII, characters of any alphabet, the standard
// font's strings) share its pieces.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/document_fonts.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/pdf/shown_lines.h"
#include "core/text/text_encoding.h"
#include "support/fixed_font_provider.h"

namespace leafwright::testing {

inline const std::vector<std::string> kLatinAndCjkFaces = {
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"};

struct OneAtATimeRun {
    bool monospaced = false;
    SourceEncoding encoding = SourceEncoding::Utf8;
    unsigned seed = 1;
    int lines = 2'000;
    std::size_t longestPiece = 12;  // in characters
};

// The characters of text as the full decoder reads them, and where each
// starts (with the text's end after the last).
inline std::u32string decodedCharacters(std::string_view text, SourceEncoding encoding,
                                        std::vector<std::size_t>& starts) {
    std::u32string characters;
    for (std::size_t at = 0; at < text.size();) {
        char32_t character;
        starts.push_back(at);
        at += decodeCharacter(text, at, encoding, character);
        characters += character;
    }
    starts.push_back(text.size());
    return characters;
}

// Hands text to quick in pieces of 1 to longestPiece whole characters (their
// starts as decodedCharacters gives them), each piece in a buffer of its own
// size, so that a read past its end is one past the buffer, which the
// sanitizer build reports.
inline void addInPieces(ShownLines& quick, std::string& out, std::string_view text,
                        const std::vector<std::size_t>& starts, SourceEncoding encoding,
                        std::mt19937& random, std::size_t longestPiece) {
    const std::size_t count = starts.size() - 1;
    for (std::size_t k = 0; k < count;) {
        const std::size_t take = std::min<std::size_t>(1 + random() % longestPiece, count - k);
        const std::string_view piece = text.substr(starts[k], starts[k + take] - starts[k]);
        const std::vector<char> own(piece.begin(), piece.end());
        quick.add(out, std::string_view(own.data(), own.size()), encoding);
        k += take;
    }
}

// Each line is handed to ShownLines in pieces (addInPieces); pages begin now
// and then, and some lines are only planned. Returns the characters shown
// as not printable.
inline std::size_t expectDrawnAsOneAtATime(
    const OneAtATimeRun& run, const std::function<std::string(std::mt19937&)>& generatedLine) {
    FixedFontProvider slowProvider(kLatinAndCjkFaces);
    FixedFontProvider quickProvider(kLatinAndCjkFaces);
    const char* const family = run.monospaced ? "Courier" : "Times-Roman";
    DocumentFonts slowFonts(slowProvider, family);
    DocumentFonts quickFonts(quickProvider, family);
    EmbeddedFontStrings slow(slowFonts, "10", run.monospaced);
    ShownLines quick(quickFonts, nullptr, "10", run.monospaced);
    std::mt19937 random(run.seed);
    for (int line = 0; line < run.lines; ++line) {
        if (line % 40 == 0) {
            slow.beginPage();
            quick.beginPage();
        }
        const bool planning = line % 7 == 3;
        slow.setPlanning(planning);
        quick.setPlanning(planning);
        const std::string text = generatedLine(random);
        std::vector<std::size_t> starts;
        const std::u32string characters = decodedCharacters(text, run.encoding, starts);
        std::string expected, written;
        slow.beginLine(expected);
        slow.addAll(expected, characters);
        slow.endLine(expected);
        quick.beginLine(written);
        addInPieces(quick, written, text, starts, run.encoding, random, run.longestPiece);
        quick.endLine(written);
        EXPECT_EQ(written, expected) << text;
        EXPECT_EQ(quick.widestColumns(), slow.strings().widestColumns()) << text;
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_EQ(quick.notPrintable(), slow.notPrintable());
    return quick.notPrintable();
}

}  // namespace leafwright::testing
