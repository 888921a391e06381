// Pages kept from the reading ahead are written as drawing them again would
// write them: a document converted while nothing may be kept is the same,
// byte for byte, over shaped and unshaped stretches, wrapped rows with line
// numbers, form feeds and the self-adapting page.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/pdf/kept_page_bodies.h"
#include "core/settings/more_settings.h"
#include "support/fixed_font_provider.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::TempDir;

// Stretches of Arabic, Hebrew with points, Devanagari (all shaped) and of
// Latin beyond Mac OS Roman (not shaped), with tabs, numbers and now and
// then a form feed or a very long line.
std::string mixedSource(unsigned seed) {
    const std::vector<std::vector<std::string>> stretches = {
        {"\u0643\u062A\u0627\u0628", "\u0644\u0627", "\u0645\u0646", "2026", "(PDF)"},
        {"\u05D4\u05B7\u05D9\u05B6\u05BC\u05DC\u05B6\u05D3", "\u05E1\u05B5\u05E4\u05B6\u05E8",
         "%s:"},
        {"\u0939\u093F\u0928\u094D\u0926\u0940", "\u0915\u094D\u0937", "\u0930\u0942"},
        {"\u0141\u00F3d\u017A", "line", "\u0107", "text"}};
    std::mt19937 random(seed);
    std::string text;
    for (int line = 0; line < 1500; ++line) {
        const auto& words = stretches[(line / 150 + seed) % stretches.size()];
        const int count = random() % 40 == 0 ? 120 : 1 + static_cast<int>(random() % 14);
        for (int word = 0; word < count; ++word) {
            text += word == 0 ? "" : random() % 7 == 0 ? "\t" : " ";
            text += words[random() % words.size()];
        }
        if (random() % 90 == 0) text += "\f";
        text += "\n";
    }
    return text;
}

TEST(KeptPagesConversion, WritesWhatDrawingAgainWrites) {
    const TempDir dir;
    testing::FixedFontProvider fonts(testing::kShapingTestFaces);
    const std::vector<std::vector<std::pair<std::string, std::string>>> setups = {
        {},
        {{"header", "{file}||{page}/{pages}"}, {"line-numbers", "5"}},
        {{"wrap", "word-char"}, {"line-numbers", "1"}, {"form-feed", "page"}},
        {{"wrap", "char"}, {"compress", "TRUE"}},
    };
    unsigned seed = 1;
    for (const bool selfAdapting : {false, true}) {
        for (const auto& setup : setups) {
            if (selfAdapting && !setup.empty()) continue;
            const std::string source = mixedSource(seed++);
            testing::writeBytes(dir.file("source.txt"), source);
            auto convert = [&](const std::string& name) {
                ConversionSettings settings;
                settings.chosen.selfAdaptation = selfAdapting ? 1 : 0;
                for (const auto& [key, value] : setup)
                    EXPECT_EQ(setMoreSetting(settings.chosen.more, key, value),
                              MoreSettingCheck::Taken)
                        << key;
                convertSource(dir.file("source.txt"), dir.file(name), settings, {}, &fonts);
                return testing::readBytes(dir.file(name));
            };
            const std::string kept = convert("kept.pdf");
            std::string drawn;
            {
                const KeptPagesSeam keepNothing(0, 0);
                drawn = convert("drawn.pdf");
            }
            ASSERT_GT(kept.size(), 10000u);
            EXPECT_TRUE(kept == drawn) << "seed " << seed - 1 << ", " << setup.size()
                                       << " settings, self-adapting " << selfAdapting;
        }
    }
}

}  // namespace
}  // namespace leafwright
