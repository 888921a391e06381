// Characters of any alphabet are drawn many at a time once their codes are
// known: over generated lines of Cyrillic, Greek, Hangul and Han words in
// two faces, with spaces, digits and punctuation that take the run's face,
// tabs, marks, characters beyond the Basic Multilingual Plane and malformed
// UTF-8 (overlong forms, surrogates, cut sequences), the lines as ShownLines
// writes them are exactly those of each character decoded by the full
// decoder and written on its own. The same bytes read as Windows-1252
// (where "\xC3\xA9" is two characters, not a known é) are drawn as
// their characters one at a time too.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/fonts/document_fonts.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/pdf/shown_lines.h"
#include "core/text/text_encoding.h"
#include "support/fixed_font_provider.h"

namespace leafwright {
namespace {

using testing::FixedFontProvider;

const std::vector<std::string> kFaces = {
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"};

// Letters of one alphabet each; a word is taken from one of them.
const std::vector<std::u32string> kAlphabets = {
    U"\u0410\u0411\u0416\u042F\u0430\u0431\u0436\u044F\u0451",  // Cyrillic
    U"\u0391\u039B\u03A9\u03B1\u03BB\u03C9",                    // Greek
    U"\uD55C\uAD6D\uC5B4\uAC00",                                // Hangul
    U"\u4E2D\u6587\u5B57\u3002",                                // Han
    U"abcXYZ\u00E9\u00DF",                                      // Latin
};
// Between words, or now and then inside one.
const std::u32string kBetween = U" .,;:!?0123456789()-\t\u00A0\u2014\u0301\u200B\U0001D400";
// Bytes that are no well-formed UTF-8 character, or start one that is cut;
// overlong forms of letters above among them, and é as Windows-1252 has it.
const std::vector<std::string> kMalformed = {
    "\xC1\xA1",     "\xE0\x90\x96", "\xE0\x81\xA1", "\xC0\xAF",     "\xC1\xBF",
    "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
    "\xD0",         "\xE4\xB8",     "\x80",         "\xFF",         "\xE9"};

std::string generatedLine(std::mt19937& random) {
    std::string line;
    for (int words = static_cast<int>(random() % 16); words > 0; --words) {
        const std::u32string& alphabet = kAlphabets[random() % kAlphabets.size()];
        for (int k = 1 + static_cast<int>(random() % 9); k > 0; --k) {
            appendUtf8(alphabet[random() % alphabet.size()], line);
            if (random() % 23 == 0) appendUtf8(kBetween[random() % kBetween.size()], line);
            if (random() % 61 == 0) line += kMalformed[random() % kMalformed.size()];
        }
        appendUtf8(kBetween[random() % kBetween.size()], line);
        if (random() % 3 == 0) line += ' ';
    }
    return line;
}

// The characters of text as the full decoder reads them, and where each
// starts.
std::u32string decoded(const std::string& text, SourceEncoding encoding,
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

// Handed over in pieces of whole characters cut anywhere, each piece in a
// buffer of its own size (so that a read past its end is one past the
// buffer, which the sanitizer build reports); pages begin now and then, and
// some lines are only planned.
TEST(KnownCharacters, DrawnAsOneCharacterAtATime) {
    for (const auto& [monospaced, encoding] :
         {std::pair{false, SourceEncoding::Utf8}, std::pair{true, SourceEncoding::Utf8},
          std::pair{false, SourceEncoding::Windows1252}}) {
        SCOPED_TRACE(monospaced ? "monospaced" : "proportional");
        SCOPED_TRACE(encoding == SourceEncoding::Utf8 ? "UTF-8" : "Windows-1252");
        FixedFontProvider slowProvider(kFaces);
        FixedFontProvider quickProvider(kFaces);
        DocumentFonts slowFonts(slowProvider, monospaced ? "Courier" : "Times-Roman");
        DocumentFonts quickFonts(quickProvider, monospaced ? "Courier" : "Times-Roman");
        EmbeddedFontStrings slow(slowFonts, "10", monospaced);
        ShownLines quick(quickFonts, nullptr, "10", monospaced);
        std::mt19937 random(monospaced ? 41 : encoding == SourceEncoding::Utf8 ? 42 : 43);
        for (int line = 0; line < 3'000; ++line) {
            if (line % 40 == 0) {
                slow.beginPage();
                quick.beginPage();
            }
            const bool planning = line % 7 == 3;
            slow.setPlanning(planning);
            quick.setPlanning(planning);
            const std::string text = generatedLine(random);
            std::vector<std::size_t> starts;
            const std::u32string characters = decoded(text, encoding, starts);
            std::string expected, written;
            slow.beginLine(expected);
            slow.addAll(expected, characters);
            slow.endLine(expected);
            quick.beginLine(written);
            for (std::size_t k = 0; k < characters.size();) {
                const std::size_t take =
                    std::min<std::size_t>(1 + random() % 40, characters.size() - k);
                const std::string_view piece =
                    std::string_view(text).substr(starts[k], starts[k + take] - starts[k]);
                const std::vector<char> own(piece.begin(), piece.end());
                quick.add(written, std::string_view(own.data(), own.size()), encoding);
                k += take;
            }
            quick.endLine(written);
            ASSERT_EQ(written, expected) << text;
            ASSERT_EQ(quick.widestColumns(), slow.strings().widestColumns()) << text;
        }
        EXPECT_EQ(quick.notPrintable(), slow.notPrintable());
        // Read as UTF-8, the characters beyond the faces are among them.
        if (encoding == SourceEncoding::Utf8) {
            EXPECT_GT(quick.notPrintable(), 0u);
        }
    }
}

}  // namespace
}  // namespace leafwright
