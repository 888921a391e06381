#include "core/settings/more_settings.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "core/encoding/iconv_converter.h"
#include "core/settings/page_template.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

constexpr std::array<std::string_view, 4> kWrapWords{"none", "word", "char", "word-char"};
constexpr std::array<std::string_view, 2> kWrapMarkWords{"arrow", "none"};
constexpr std::array<std::string_view, 2> kFormFeedWords{"ignore", "page"};
constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";
constexpr std::string_view kAutoEncoding = "auto";

// An enumeration's value is its position in its list of words.
template <typename Enum, std::size_t N>
bool readWord(const std::array<std::string_view, N>& words, std::string_view value, Enum& out) {
    for (std::size_t i = 0; i < N; ++i) {
        if (words[i] == value) {
            out = static_cast<Enum>(i);
            return true;
        }
    }
    return false;
}

template <typename Enum, std::size_t N>
std::string wordOf(const std::array<std::string_view, N>& words, Enum value) {
    return std::string(words[static_cast<std::size_t>(value)]);
}

bool readFlag(std::string_view value, bool& out) {
    if (value != kTrue && value != kFalse) return false;
    out = value == kTrue;
    return true;
}

std::string flagText(bool flag) {
    return std::string(flag ? kTrue : kFalse);
}

// Plain decimal digits, no sign or blank, up to kLargestLineNumberSetting.
bool readCount(std::string_view value, int& out) {
    int number = 0;
    const char* end = value.data() + value.size();
    const auto [stop, error] = std::from_chars(value.data(), end, number);
    if (value.empty() || value.front() == '-' || error != std::errc() || stop != end ||
        number > kLargestLineNumberSetting)
        return false;
    out = number;
    return true;
}

// Text shown on the page or handed to the font lookup: well-formed UTF-8
// without control characters, which could only hide in a field or end its
// line in a file.
bool readText(std::string_view value, std::string& out) {
    if (countUtf8Characters(value) == kNotUtf8) return false;
    for (char c : value) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    out.assign(value);
    return true;
}

// An encoding is one the system's converter can read from. The name is
// plain ASCII without blanks, and without the "//" that would add options
// to the conversion rather than name an encoding.
bool isKnownEncoding(std::string_view name) {
    if (name.find("//") != std::string_view::npos) return false;
    for (char c : name) {
        if (c <= ' ' || c > '~') return false;
    }
    return iconvKnowsEncoding(std::string(name));
}

bool readEncoding(std::string_view value, std::string& out) {
    if (!value.empty() && value != kAutoEncoding && !isKnownEncoding(value)) return false;
    out.assign(value);
    return true;
}

// A header or footer: text as above that reads as a page template.
bool readTemplate(std::string_view value, std::string& out) {
    if (PageTemplate::fault(value)) return false;
    return readText(value, out);
}

std::string countText(int count) {
    return std::to_string(count);
}

// One setting: its name, the values it takes in words, and how its text is
// read and written.
struct Setting {
    std::string_view name;
    std::string_view allowed;
    bool (*read)(MoreSettings&, std::string_view);
    std::string (*write)(const MoreSettings&);
};

using S = MoreSettings;
using V = std::string_view;

constexpr Setting kSettings[] = {
    {"wrap", "none, word, char or word-char",
     [](S& s, V v) { return readWord(kWrapWords, v, s.wrap); },
     [](const S& s) { return wordOf(kWrapWords, s.wrap); }},
    {"wrap-mark", "arrow or none",
     [](S& s, V v) { return readWord(kWrapMarkWords, v, s.wrapMark); },
     [](const S& s) { return wordOf(kWrapMarkWords, s.wrapMark); }},
    {"form-feed", "ignore or page",
     [](S& s, V v) { return readWord(kFormFeedWords, v, s.formFeed); },
     [](const S& s) { return wordOf(kFormFeedWords, s.formFeed); }},
    {"header", "a template of UTF-8 text without control characters",
     [](S& s, V v) { return readTemplate(v, s.header); }, [](const S& s) { return s.header; }},
    {"footer", "a template of UTF-8 text without control characters",
     [](S& s, V v) { return readTemplate(v, s.footer); }, [](const S& s) { return s.footer; }},
    {"header-rule", "TRUE or FALSE", [](S& s, V v) { return readFlag(v, s.headerRule); },
     [](const S& s) { return flagText(s.headerRule); }},
    {"line-numbers", "0 (no numbers) or a whole number N up to 999999999 (every N-th line)",
     [](S& s, V v) { return readCount(v, s.lineNumbers); },
     [](const S& s) { return countText(s.lineNumbers); }},
    {"line-number-start", "a whole number from 0 to 999999999",
     [](S& s, V v) { return readCount(v, s.lineNumberStart); },
     [](const S& s) { return countText(s.lineNumberStart); }},
    {"font-family", "a font family name of UTF-8 text without control characters",
     [](S& s, V v) { return readText(v, s.fontFamily); }, [](const S& s) { return s.fontFamily; }},
    {"encoding", "auto or an encoding name that iconv knows (iconv -l lists them)",
     [](S& s, V v) { return readEncoding(v, s.encoding); }, [](const S& s) { return s.encoding; }},
    {"compress", "TRUE or FALSE", [](S& s, V v) { return readFlag(v, s.compress); },
     [](const S& s) { return flagText(s.compress); }},
    {"combine-duplex", "TRUE or FALSE", [](S& s, V v) { return readFlag(v, s.combineDuplex); },
     [](const S& s) { return flagText(s.combineDuplex); }},
};

constexpr std::size_t kSettingCount = std::size(kSettings);

constexpr std::array<std::string_view, kSettingCount> namesOf() {
    std::array<std::string_view, kSettingCount> names{};
    for (std::size_t i = 0; i < kSettingCount; ++i) names[i] = kSettings[i].name;
    return names;
}

constexpr std::array<std::string_view, kSettingCount> kNames = namesOf();

const Setting* findSetting(std::string_view name) {
    for (const Setting& setting : kSettings) {
        if (setting.name == name) return &setting;
    }
    return nullptr;
}

}  // namespace

std::span<const std::string_view> moreSettingNames() {
    return kNames;
}

MoreSettingCheck setMoreSetting(MoreSettings& settings, std::string_view name,
                                std::string_view value) {
    const Setting* setting = findSetting(name);
    if (setting == nullptr) return MoreSettingCheck::UnknownName;
    return setting->read(settings, value) ? MoreSettingCheck::Taken : MoreSettingCheck::BadValue;
}

std::string moreSettingText(const MoreSettings& settings, std::string_view name) {
    const Setting* setting = findSetting(name);
    return setting ? setting->write(settings) : std::string();
}

std::string moreSettingRefusal(std::string_view name, std::string_view value) {
    const Setting* setting = findSetting(name);
    std::string text(name);
    text += " must be ";
    text += setting ? setting->allowed : "a setting's name";
    if (name == "header" || name == "footer") {
        if (const std::optional<std::string> fault = PageTemplate::fault(value)) {
            text += ": ";
            text += *fault;
        }
    }
    return text;
}

std::string knownMoreSettingNames() {
    std::string list;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (i > 0) list += i + 1 == kSettingCount ? " and " : ", ";
        list += kNames[i];
    }
    return list;
}

}  // namespace leafwright
