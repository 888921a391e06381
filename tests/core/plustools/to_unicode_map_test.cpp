#include "core/plustools/to_unicode_map.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/plustools/cmap_reader.h"
#include "core/plustools/text_map_model.h"

namespace leafwright {
namespace {

ToUnicodeMap readMap(const std::string& cmap) {
    CMapReader reader;
    reader.feed(cmap);
    return reader.finish();
}

std::string textOf(const ToUnicodeMap& map, const std::string& code) {
    std::string out;
    map.appendText(code, out);
    return out;
}

// A code under a range that many single codes stand between it and the
// range's start is still found in the range.
TEST(ToUnicodeMap, FindsACodeUnderAWideRangeWhateverStandsBetween) {
    for (int between : {15, 16, 17, 300}) {
        std::string cmap =
            "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
            "1 beginbfrange <0000> <FFFF> <4E00> endbfrange\n"
            "beginbfchar\n";
        for (int k = 1; k <= between; ++k) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "<%04X> <0041>\n", k);
            cmap += entry;
        }
        const ToUnicodeMap map = readMap(cmap + "endbfchar\n");
        EXPECT_EQ(textOf(map, std::string("\x10\x00", 2)), "\u5E00") << between;
        EXPECT_EQ(textOf(map, std::string("\0\x05", 2)), "A") << between;
        EXPECT_EQ(textOf(map, std::string("\0\0", 2)), "\u4E00") << between;
    }
}

// Random maps of overlapping codes and ranges, fed whole or in pieces: every
// code gives the text the plain reading of the map gives it.
TEST(ToUnicodeMap, LooksCodesUpAsThePlainReadingOfTheMapDoes) {
    std::mt19937 random(26);
    testing::Choose choose = [&](std::uint32_t count) {
        return static_cast<std::uint32_t>(random() % count);
    };
    for (int round = 0; round < 300; ++round) {
        const testing::TextMapModel model = testing::randomTextMap(choose, 1 + choose(60));
        const std::string cmap = model.cmapText();
        CMapReader pieces;
        for (std::size_t at = 0; at < cmap.size(); at += 5) pieces.feed(cmap.substr(at, 5));
        const ToUnicodeMap map = pieces.finish();
        for (unsigned value = 0; value < 256; ++value) {
            const std::string code(1, static_cast<char>(value));
            ASSERT_EQ(textOf(map, code), model.textOf(code)) << cmap << "code " << value;
        }
        for (unsigned value = 0; value < 620; ++value) {
            const std::string code = testing::TextMapModel::codeOf(value, 2);
            ASSERT_EQ(textOf(map, code), model.textOf(code)) << cmap << "code " << value;
        }
    }
}

}  // namespace
}  // namespace leafwright
