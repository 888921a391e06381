// Embedded fonts give each character its code when the document first shows
// it: reading the pages in order, the first font's codes first appear in
// increasing order, and the fonts as /F1, /F2, ... A reading that counted pages
// without learning a character (or left the fonts' state otherwise than
// drawing would) would show that character's code out of that order: it
// would be given only while writing, after every character counted.
// The characters that no face has are counted once each all the same.
// Generated wrapped documents with printable ASCII met late in the text
// (some characters only on the last page), Cyrillic and Greek, Georgian from
// a face of its own. (A character that draws nothing takes its code in the
// font at hand, which measuring may meet first: none is here.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "converted_text.h"
#include "core/settings/config_file.h"
#include "core/settings/derivation.h"
#include "support/pdf_structure.h"

namespace leafwright {
namespace {

using testing::contentStreams;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Checks that the fonts first appear in order, and the first font's codes in
// increasing order.
void expectCodesInOrderOfFirstUse(const std::string& pdf) {
    std::set<int> shown;  // of the first font
    int lastFont = 0;
    int font = 0;
    for (const std::string& content : contentStreams(pdf)) {
        for (std::size_t at = 0; at < content.size(); ++at) {
            if (content.compare(at, 2, "/F") == 0 && at + 2 < content.size() &&
                std::isdigit(static_cast<unsigned char>(content[at + 2]))) {
                font = std::stoi(content.substr(at + 2));
                ASSERT_LE(font, lastFont + 1) << "font /F" << font << " before /F" << lastFont + 1;
                lastFont = std::max(lastFont, font);
            } else if (content[at] == '<' && content.compare(at, 2, "<<") != 0) {
                const std::size_t end = content.find('>', at);
                ASSERT_NE(end, std::string::npos);
                for (std::size_t code = at + 1; font == 1 && code + 4 <= end; code += 4) {
                    const int value = std::stoi(content.substr(code, 4), nullptr, 16);
                    if (shown.contains(value)) continue;
                    ASSERT_TRUE(shown.empty() || value > *shown.rbegin())
                        << "code " << value << " first shown after code " << *shown.rbegin();
                    shown.insert(value);
                }
                at = end;
            }
        }
    }
    EXPECT_GT(shown.size(), 30u);  // the document was drawn in embedded fonts
}

std::string generatedText(std::mt19937& random) {
    static const std::vector<std::string> words = {
        "license", "copyright", "the", "of", "GPL-2+", "\xD0\xB6\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C",
        "\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82",
        "\xE1\x83\xA5\xE1\x83\x90\xE1\x83\xA0\xE1\x83\x97\xE1\x83\xA3\xE1\x83\x9A\xE1\x83\x98",
        "2026", "(c)", "<a@b.org>",
        // Unassigned: no face draws it, and each is counted as shown as "?".
        "\xCD\xB8"};
    // Printable ASCII that only later lines hold, one more every few lines.
    static const std::string late = "^~`|{}[]#$%&*+=@_\\";
    std::string text;
    const int lines = 400 + static_cast<int>(random() % 200);
    for (int line = 0; line < lines; ++line) {
        const std::size_t length = random() % 8 == 0 ? 100 + random() % 400 : random() % 70;
        std::string row;
        const std::size_t reached = static_cast<std::size_t>(line) * late.size() / lines;
        while (row.size() < length) {
            if (random() % 12 == 0) {
                row += late[random() % (reached + 1)];
            } else {
                row += words[random() % words.size()];
            }
            if (random() % 3 != 0) row += ' ';
        }
        text += row + "\n";
    }
    return text + "last ^ line\n";
}

// The characters of text no face has (U+0378 is unassigned).
std::uint64_t unprintableIn(const std::string& text) {
    std::uint64_t count = 0;
    for (std::size_t at = text.find("\xCD\xB8"); at != std::string::npos;
         at = text.find("\xCD\xB8", at + 1))
        ++count;
    return count;
}

TEST(FirstUseCodes, WrappedDocumentsGiveCodesInTheOrderThePagesShowThem) {
    std::mt19937 random(20261209);
    const std::vector<WrapMode> modes = {WrapMode::WordChar, WrapMode::Char, WrapMode::Word};
    for (int n = 0; n < 12; ++n) {
        SCOPED_TRACE("document " + std::to_string(n));
        ChosenValues chosen = defaultConfigValues();
        chosen.font = n % 2 == 0 ? "Courier" : "Times-Roman";
        chosen.more.wrap = modes[n % modes.size()];
        ConversionSettings settings;
        ASSERT_EQ(deriveSettings(settings, chosen), 0);
        const std::string text = generatedText(random);
        TempDir dir;
        writeBytes(dir.file("source.txt"), text);
        const ConversionOutcome outcome =
            convertSource(dir.file("source.txt"), dir.file("source.pdf"), settings, {}, nullptr);
        EXPECT_EQ(outcome.notPrintable, unprintableIn(text));
        expectCodesInOrderOfFirstUse(readBytes(dir.file("source.pdf")));
    }
}

}  // namespace
}  // namespace leafwright
