#pragma once

#include <span>
#include <string>
#include <string_view>

namespace leafwright {

// How a line wider than the text area is broken into pieces.
enum class WrapMode { None, Word, Char, WordChar };
// What marks a piece that continues the line before it.
enum class WrapMark { Arrow, None };
// What a form feed in the source does.
enum class FormFeedMode { Ignore, Page };

// The settings kept beyond the twelve lines of a configuration file, as
// typed values. Each starts at its default, and a default is never written
// to a file, so a file of the twelve lines alone reads as these defaults.
struct MoreSettings {
    WrapMode wrap = WrapMode::None;
    WrapMark wrapMark = WrapMark::Arrow;
    FormFeedMode formFeed = FormFeedMode::Ignore;
    std::string header;  // templates; empty: no header, no footer
    std::string footer;
    bool headerRule = true;
    int lineNumbers = 0;  // every N-th line is numbered; 0: none
    int lineNumberStart = 1;
    std::string fontFamily;  // empty: the standard font
    std::string fontFile;    // given on the command line only, never kept in a file
    std::string encoding;    // empty: UTF-8, else Windows-1252; "auto": guessed
    bool compress = false;
    bool combineDuplex = false;

    bool operator==(const MoreSettings&) const = default;
};

// The largest value of line-numbers and line-number-start.
inline constexpr int kLargestLineNumberSetting = 999'999'999;

// What became of a name=value pair.
enum class MoreSettingCheck {
    Taken,        // the setting now holds the value
    UnknownName,  // no setting has that name; nothing changed
    BadValue,     // the value is not one the setting takes; nothing changed
};

// The names of the settings a configuration file may hold after its twelve
// lines, in the order they are written.
std::span<const std::string_view> moreSettingNames();

// Sets the setting `name` from its text, the same for a line of a file and
// an option of the command line or a field of the window: every front end
// takes its values through here. Values are compared exactly, case included.
MoreSettingCheck setMoreSetting(MoreSettings& settings, std::string_view name,
                                std::string_view value);

// The value of the setting `name` as a file holds it (empty for an unknown
// name).
std::string moreSettingText(const MoreSettings& settings, std::string_view name);

// Why a value of the known setting `name` was refused, naming the values it
// takes: "wrap must be none, word, char or word-char". Given the refused
// value, a template's refusal also says what is wrong with it.
std::string moreSettingRefusal(std::string_view name, std::string_view value = {});

// The known names as a list for a message: "wrap, wrap-mark, ... and
// combine-duplex".
std::string knownMoreSettingNames();

}  // namespace leafwright
