#include "core/settings/config_file.h"

#include <array>
#include <string_view>

#include "core/platform/file_search.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

namespace {

constexpr int kConfigLines = 12;
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

// Backslash-escapes the characters that glob() would take as wildcards, so a
// search finds exactly the name given.
std::string literalPattern(std::string_view text) {
    std::string pattern;
    for (char c : text) {
        if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
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
    };
}

ChosenValues readConfigFile(const std::string& path) {
    TextFileReader reader(path);
    std::array<std::string, kConfigLines> lines;
    std::string_view line;
    for (std::string& stored : lines) {
        if (!reader.readLine(line)) break;
        stored.assign(line);
    }
    reader.close();

    ChosenValues values;
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
    writer.commit();
}

void createMissingConfigFiles(const std::string& folder) {
    for (const char* name : {kLastConfigName, kDefaultConfigName}) {
        std::string path = pathInFolder(folder, name);
        if (findEntries(literalPattern(path)).empty()) writeConfigFile(path, defaultConfigValues());
    }
}

std::string completeSaveName(const std::string& path) {
    constexpr std::string_view kExtension = ".tcf";
    if (std::string_view(path).ends_with(kExtension)) return path;
    return path + std::string(kExtension);
}

}  // namespace leafwright
