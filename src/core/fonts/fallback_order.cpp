#include "core/fonts/fallback_order.h"

#include <algorithm>
#include <utility>

namespace leafwright {
namespace {

// Scripts whose faces are named "Noto Sans <name>" and "Noto Serif <name>".
// Either may be missing from a system (or from the Noto set itself); the
// other then stands in.
constexpr std::pair<std::string_view, std::string_view> kNotoScriptNames[] = {
    {"Adlm", "Adlam"},       {"Armn", "Armenian"},
    {"Bali", "Balinese"},    {"Bamu", "Bamum"},
    {"Beng", "Bengali"},     {"Bugi", "Buginese"},
    {"Cakm", "Chakma"},      {"Cans", "Canadian Aboriginal"},
    {"Cher", "Cherokee"},    {"Copt", "Coptic"},
    {"Deva", "Devanagari"},  {"Ethi", "Ethiopic"},
    {"Geor", "Georgian"},    {"Glag", "Glagolitic"},
    {"Gujr", "Gujarati"},    {"Guru", "Gurmukhi"},
    {"Hebr", "Hebrew"},      {"Java", "Javanese"},
    {"Khmr", "Khmer"},       {"Knda", "Kannada"},
    {"Laoo", "Lao"},         {"Lepc", "Lepcha"},
    {"Limb", "Limbu"},       {"Mlym", "Malayalam"},
    {"Mong", "Mongolian"},   {"Mtei", "Meetei Mayek"},
    {"Mymr", "Myanmar"},     {"Nkoo", "NKo"},
    {"Olck", "Ol Chiki"},    {"Orya", "Oriya"},
    {"Runr", "Runic"},       {"Saur", "Saurashtra"},
    {"Sinh", "Sinhala"},     {"Sund", "Sundanese"},
    {"Syrc", "Syriac"},      {"Tale", "Tai Le"},
    {"Talu", "New Tai Lue"}, {"Tavt", "Tai Viet"},
    {"Taml", "Tamil"},       {"Telu", "Telugu"},
    {"Tfng", "Tifinagh"},    {"Tglg", "Tagalog"},
    {"Thaa", "Thaana"},      {"Thai", "Thai"},
    {"Tibt", "Tibetan"},     {"Vaii", "Vai"},
    {"Yiii", "Yi"},          {"Bopo", "Bopomofo"},
    {"Cham", "Cham"},        {"Lisu", "Lisu"},
    {"Osge", "Osage"},       {"Brah", "Brahmi"},
};

std::string_view notoName(std::string_view tag) {
    for (const auto& [code, name] : kNotoScriptNames)
        if (code == tag) return name;
    return {};
}

bool isOneOf(std::string_view tag, std::initializer_list<std::string_view> tags) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

// The Noto CJK faces of one region; Droid Sans Fallback has Han, kana and
// Hangul in one sans face where they are not installed.
std::vector<std::string> cjkFamilies(std::string_view region, FontLook look) {
    const std::string sans = "Noto Sans CJK " + std::string(region);
    const std::string serif = "Noto Serif CJK " + std::string(region);
    const std::string mono = "Noto Sans Mono CJK " + std::string(region);
    switch (look) {
        case FontLook::serif:
            return {serif, sans, "Droid Sans Fallback"};
        case FontLook::sans:
            return {sans, serif, "Droid Sans Fallback"};
        case FontLook::mono:
            return {mono, sans, serif, "Droid Sans Fallback"};
    }
    return {};
}

// Liberation draws the standard fonts' own scripts with the standard
// widths. What it lacks of them is left to fontconfig, as documents in these
// scripts have always been drawn, so that they keep their bytes.
std::vector<std::string> latinFamilies(FontLook look) {
    switch (look) {
        case FontLook::serif:
            return {"Liberation Serif"};
        case FontLook::sans:
            return {"Liberation Sans"};
        case FontLook::mono:
            return {"Liberation Mono"};
    }
    return {};
}

}  // namespace

FontLook fontLookOf(std::string_view baseFont) {
    if (baseFont.starts_with("Helvetica")) return FontLook::sans;
    if (baseFont.starts_with("Courier")) return FontLook::mono;
    return FontLook::serif;
}

std::vector<std::string> fallbackFamilies(std::string_view scriptTag, FontLook look) {
    if (isOneOf(scriptTag, {"Latn", "Grek", "Cyrl"})) return latinFamilies(look);
    if (isOneOf(scriptTag, {"Hani", "Bopo"})) return cjkFamilies("SC", look);
    if (isOneOf(scriptTag, {"Hira", "Kana"})) return cjkFamilies("JP", look);
    if (scriptTag == "Hang") return cjkFamilies("KR", look);
    // Noto Sans Arabic first in every look: it joins lam and alef into one
    // glyph, as readers expect to copy it; Naskh draws them apart.
    if (scriptTag == "Arab") return {"Noto Sans Arabic", "Noto Naskh Arabic"};
    const std::string_view name = notoName(scriptTag);
    if (name.empty()) return {};
    const std::string sans = "Noto Sans " + std::string(name);
    const std::string serif = "Noto Serif " + std::string(name);
    if (look == FontLook::serif) return {serif, sans};
    return {sans, serif};
}

std::string firstUsableFamily(const std::vector<std::string>& families,
                              const std::function<bool(const std::string&)>& usable) {
    for (const std::string& family : families)
        if (usable(family)) return family;
    return {};
}

}  // namespace leafwright
