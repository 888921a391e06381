#include "core/fonts/fallback_order.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/fonts/embeddable_format.h"

namespace leafwright {
namespace {

// The family a script gets on a system where only `installed` can be
// embedded.
std::string chosen(const std::set<std::string>& installed, const char* script, FontLook look) {
    return firstUsableFamily(fallbackFamilies(script, look), [&](const std::string& family) {
        return installed.count(family) > 0;
    });
}

// Which face each script gets for a few installed sets: the choice follows
// the order and the look of the standard font, and nothing else installed.
TEST(FallbackOrder, ScriptsGetTheFirstInstalledFamilyOfTheirOrder) {
    const std::set<std::string> debian = {"Liberation Serif",
                                          "Liberation Sans",
                                          "Liberation Mono",
                                          "Noto Serif",
                                          "Noto Sans",
                                          "Noto Sans Devanagari",
                                          "Noto Serif Devanagari",
                                          "Noto Sans Thai",
                                          "Noto Naskh Arabic",
                                          "Noto Sans Arabic",
                                          "Noto Sans CJK KR",
                                          "Noto Serif CJK SC",
                                          "Droid Sans Fallback",
                                          "Symbola",
                                          "Noto Sans Tamil"};
    const std::set<std::string> bare = {"Liberation Sans", "Droid Sans Fallback", "Symbola"};
    struct Case {
        const std::set<std::string>* installed;
        const char* script;
        FontLook look;
        const char* family;
    };
    const Case cases[] = {
        {&debian, "Latn", FontLook::serif, "Liberation Serif"},
        {&debian, "Cyrl", FontLook::mono, "Liberation Mono"},
        {&debian, "Grek", FontLook::sans, "Liberation Sans"},
        {&bare, "Latn", FontLook::serif, ""},  // no serif Latin face at all
        {&debian, "Deva", FontLook::serif, "Noto Serif Devanagari"},
        {&debian, "Deva", FontLook::sans, "Noto Sans Devanagari"},
        {&debian, "Deva", FontLook::mono, "Noto Sans Devanagari"},
        {&debian, "Thai", FontLook::serif, "Noto Sans Thai"},  // the other look stands in
        {&debian, "Taml", FontLook::serif, "Noto Sans Tamil"},
        {&debian, "Arab", FontLook::serif, "Noto Sans Arabic"},
        {&bare, "Arab", FontLook::serif, ""},
        {&debian, "Hang", FontLook::sans, "Noto Sans CJK KR"},
        {&debian, "Hang", FontLook::serif, "Noto Sans CJK KR"},
        {&debian, "Hani", FontLook::serif, "Noto Serif CJK SC"},
        {&debian, "Hira", FontLook::serif, "Droid Sans Fallback"},
        {&bare, "Hang", FontLook::mono, "Droid Sans Fallback"},
        {&bare, "Hani", FontLook::serif, "Droid Sans Fallback"},
        {&bare, "Deva", FontLook::sans, ""},  // left to fontconfig
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.script) + " " + std::to_string(static_cast<int>(c.look)));
        EXPECT_EQ(chosen(*c.installed, c.script, c.look), c.family);
    }
}

TEST(FallbackOrder, UnknownScriptsAreLeftToFontconfigAndLooksFollowTheStandardFont) {
    for (const char* script : {"Qaaa", "", "Zyyy", "Zzzz", "deva"})
        EXPECT_TRUE(fallbackFamilies(script, FontLook::sans).empty()) << script;
    EXPECT_EQ(fontLookOf("Times-Bold"), FontLook::serif);
    EXPECT_EQ(fontLookOf("Helvetica-Oblique"), FontLook::sans);
    EXPECT_EQ(fontLookOf("Courier-Bold"), FontLook::mono);
    EXPECT_EQ(fontLookOf("Symbol"), FontLook::serif);
    // Every family named once, so the order is the same however it is read.
    for (const char* script : {"Latn", "Hang", "Hani", "Deva", "Arab", "Thai"}) {
        for (FontLook look : {FontLook::serif, FontLook::sans, FontLook::mono}) {
            const auto families = fallbackFamilies(script, look);
            EXPECT_EQ(std::set<std::string>(families.begin(), families.end()).size(),
                      families.size())
                << script;
        }
    }
}

TEST(FallbackOrder, OnlyTrueTypeAndCffFacesWithoutColourAreEmbeddable) {
    EXPECT_TRUE(isEmbeddableFontFormat("TrueType", false));
    EXPECT_FALSE(isEmbeddableFontFormat("TrueType", true));
    EXPECT_TRUE(isEmbeddableFontFormat("CFF", false));
    EXPECT_FALSE(isEmbeddableFontFormat("CFF", true));
    EXPECT_FALSE(isEmbeddableFontFormat("Type 1", false));
    EXPECT_FALSE(isEmbeddableFontFormat("", false));
}

}  // namespace
}  // namespace leafwright
