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

#include "core/text/text_encoding.h"
#include "drawn_one_at_a_time.h"

namespace leafwright {
namespace {

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

TEST(KnownCharacters, DrawnAsOneCharacterAtATime) {
    for (const auto& [monospaced, encoding] :
         {std::pair{false, SourceEncoding::Utf8}, std::pair{true, SourceEncoding::Utf8},
          std::pair{false, SourceEncoding::Windows1252}}) {
        SCOPED_TRACE(monospaced ? "monospaced" : "proportional");
        SCOPED_TRACE(encoding == SourceEncoding::Utf8 ? "UTF-8" : "Windows-1252");
        const unsigned seed = monospaced ? 41 : encoding == SourceEncoding::Utf8 ? 42 : 43;
        const std::size_t notPrintable = testing::expectDrawnAsOneAtATime({.monospaced = monospaced,
                                                                           .encoding = encoding,
                                                                           .seed = seed,
                                                                           .lines = 3'000,
                                                                           .longestPiece = 40},
                                                                          generatedLine);
        // Read as UTF-8, the characters beyond the faces are among them.
        if (encoding == SourceEncoding::Utf8) {
            EXPECT_GT(notPrintable, 0u);
        }
    }
}

}  // namespace
}  // namespace leafwright
