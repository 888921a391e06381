#include "core/settings/config_file.h"

#include <array>
#include <cstdint>
#include <string_view>

#include "core/platform/file_error.h"
#include "core/platform/file_search.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"
#include "core/settings/more_settings.h"

namespace leafwright {

namespace {

constexpr int kConfigLines = 12;
// A file of many unknown names (one of another program, say) gives a few
// warnings and a count of the rest, not a flood.
constexpr std::size_t kWarningsShown = 5;
constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";

int flagFromLine(std::string_view line) {
    return line == kTrue ? 1 : 0;
}

std::string_view flagText(int flag) {
    return flag == 1 ? kTrue : kFalse;
}

// A value is one line. An LF inside it (a folder name may hold one) would
// push every later value down a line, and a 0x1A would end the file for the
// reader, so the value is stored up to the first of them.
std::string_view asOneLine(std::string_view value) {
    return value.substr(0, value.find_first_of("\n\x1A"));
}

// A name from a file, fit to be shown in a message or on a terminal: at
// most 40 bytes, anything but printable ASCII shown as "?".
std::string shownName(std::string_view name) {
    constexpr std::size_t kLongest = 40;
    std::string shown;
    for (char c : name.substr(0, kLongest)) shown += c >= ' ' && c <= '~' ? c : '?';
    if (name.size() > kLongest) shown += "...";
    return shown;
}

// Reads a line after the twelfth: a setting as name=value, the name being
// everything before the first "=" (a line without one is a name with an
// empty value). Empty lines are skipped. Returns the warning for a line of
// an unknown name, otherwise an empty text.
std::string readMoreSettingLine(const std::string& path, std::string_view line,
                                std::uint64_t number, MoreSettings& more) {
    if (line.empty()) return {};
    const std::size_t equals = line.find('=');
    const std::string_view name = line.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    const std::string where = "line " + std::to_string(number) + ": ";
    switch (setMoreSetting(more, name, value)) {
        case MoreSettingCheck::Taken:
            break;
        case MoreSettingCheck::BadValue:
            throw FileError(path, where + moreSettingRefusal(name, value));
        case MoreSettingCheck::UnknownName:
            return where + "unknown setting \"" + shownName(name) +
                   "\" ignored; the known settings are " + knownMoreSettingNames();
    }
    return {};
}

std::string pathInFolder(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

ChosenValues defaultConfigValues() {
    return ChosenValues{
        .pageStyle = "A4  [595,842]",
        .font = "Times-Roman",
        .fontSize = "14",
        .textColor = "Black",
        .pageColor = "White",
        .rotation = "0",
        .topMargin = "36",
        .leftMargin = "36",
        .landscape = 0,
        .customFolder = 0,
        .folder = kDefaultPath,
        .selfAdaptation = 0,
        // The document information is never kept in a file.
        .author = {},
        .title = {},
        .subject = {},
        .keywords = {},
        .creator = {},
        .more = {},
    };
}

ChosenValues readConfigFile(const std::string& path, std::vector<std::string>* warnings) {
    TextFileReader reader(path);
    std::array<std::string, kConfigLines> lines;
    std::string_view line;
    for (std::string& stored : lines) {
        if (!reader.readLine(line)) break;
        stored.assign(line);
    }
    ChosenValues values;
    std::vector<std::string> shown;
    std::uint64_t unshown = 0;
    for (std::uint64_t number = kConfigLines + 1; reader.readLine(line); ++number) {
        std::string warning = readMoreSettingLine(path, line, number, values.more);
        if (warning.empty()) continue;
        if (shown.size() < kWarningsShown) {
            shown.push_back(std::move(warning));
        } else {
            ++unshown;
        }
    }
    reader.close();
    // An editor that saves UTF-8 with a byte-order mark (Notepad does) puts
    // it before the page style, which would then match none. Every mark
    // goes, so that no value read starts with one, and a file written from
    // the values reads the same again.
    while (lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
    if (warnings) {
        warnings->insert(warnings->end(), shown.begin(), shown.end());
        if (unshown > 0)
            warnings->push_back(std::to_string(unshown) +
                                (unshown == 1 ? " more line" : " more lines") +
                                " of unknown settings ignored");
    }

    values.pageStyle = std::move(lines[0]);
    values.font = std::move(lines[1]);
    values.fontSize = std::move(lines[2]);
    values.textColor = std::move(lines[3]);
    values.pageColor = std::move(lines[4]);
    values.rotation = std::move(lines[5]);
    values.topMargin = std::move(lines[6]);
    values.leftMargin = std::move(lines[7]);
    values.landscape = flagFromLine(lines[8]);
    values.customFolder = flagFromLine(lines[9]);
    values.folder = std::move(lines[10]);
    values.selfAdaptation = flagFromLine(lines[11]);
    return values;
}

void writeConfigFile(const std::string& path, const ChosenValues& values) {
    const std::array<std::string_view, kConfigLines> lines{
        values.pageStyle,
        values.font,
        values.fontSize,
        values.textColor,
        values.pageColor,
        values.rotation,
        values.topMargin,
        values.leftMargin,
        flagText(values.landscape),
        flagText(values.customFolder),
        values.folder,
        flagText(values.selfAdaptation),
    };
    TextFileWriter writer(path);
    for (std::string_view value : lines) {
        writer.writeRaw(asOneLine(value));
        writer.write("\n");
    }
    const MoreSettings defaults;
    for (std::string_view name : moreSettingNames()) {
        const std::string value = moreSettingText(values.more, name);
        if (value == moreSettingText(defaults, name)) continue;
        writer.writeRaw(name);
        writer.writeRaw("=");
        writer.writeRaw(asOneLine(value));
        writer.write("\n");
    }
    writer.commit();
}

void createMissingConfigFiles(const std::string& folder) {
    for (const char* name : {kLastConfigName, kDefaultConfigName}) {
        std::string path = pathInFolder(folder, name);
        if (findEntries(literalSearchPattern(path)).empty())
            writeConfigFile(path, defaultConfigValues());
    }
}

std::string completeSaveName(const std::string& path) {
    constexpr std::string_view kExtension = ".tcf";
    if (std::string_view(path).ends_with(kExtension)) return path;
    return path + std::string(kExtension);
}

}  // namespace leafwright
