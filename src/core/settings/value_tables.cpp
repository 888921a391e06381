#include "core/settings/value_tables.h"

#include <algorithm>
#include <array>

namespace leafwright {

namespace {

// Legal is listed as it is labelled: wider than high in portrait.
constexpr std::array<PageStyle, 7> kPageStyles{{
    {"A3  [842,1190]", "842", "1190", 842, 1190},
    {"A4  [595,842]", "595", "842", 595, 842},
    {"A5  [421,595]", "421", "595", 421, 595},
    {"Letter  [612,792]", "612", "792", 612, 792},
    {"Legal  [1224,792]", "1224", "792", 1224, 792},
    {"Executive  [540,720]", "540", "720", 540, 720},
    {"Statement  [396,612]", "396", "612", 396, 612},
}};

constexpr std::array<std::string_view, 9> kFontNames{
    "Courier",    "Courier-Oblique", "Courier-Bold",      "Times-Roman",    "Times-Italic",
    "Times-Bold", "Helvetica",       "Helvetica-Oblique", "Helvetica-Bold",
};

constexpr std::array<FontSizeRow, 16> kFontSizes{{
    {"4", 4, "4.6", 4.6},
    {"5", 5, "5.75", 5.75},
    {"6", 6, "6.9", 6.9},
    {"7", 7, "8.05", 8.05},
    {"8", 8, "9.2", 9.2},
    {"9", 9, "10.35", 10.35},
    {"10", 10, "11.5", 11.5},
    {"11", 11, "12.65", 12.65},
    {"12", 12, "13.8", 13.8},
    {"14", 14, "16.1", 16.1},
    {"16", 16, "18.4", 18.4},
    {"18", 18, "20.7", 20.7},
    {"20", 20, "23", 23.0},
    {"24", 24, "27.6", 27.6},
    {"30", 30, "34.5", 34.5},
    {"36", 36, "41.4", 41.4},
}};

constexpr std::array<NamedColour, 8> kColours{{
    {"Black", "0 0 0"},
    {"Blue", "0 0 1"},
    {"Cyan", "0 1 1"},
    {"Green", "0 1 0"},
    {"Magenta", "1 0 1"},
    {"Red", "1 0 0"},
    {"White", "1 1 1"},
    {"Yellow", "1 1 0"},
}};

constexpr std::array<std::string_view, 4> kRotations{"0", "90", "180", "270"};

template <typename Row, std::size_t N, typename Key>
const Row* findRow(const std::array<Row, N>& table, std::string_view text, Key key) {
    auto found =
        std::find_if(table.begin(), table.end(), [&](const Row& row) { return row.*key == text; });
    return found == table.end() ? nullptr : &*found;
}

}  // namespace

std::span<const PageStyle> pageStyles() {
    return kPageStyles;
}
std::span<const std::string_view> fontNames() {
    return kFontNames;
}
std::span<const FontSizeRow> fontSizes() {
    return kFontSizes;
}
std::span<const NamedColour> colours() {
    return kColours;
}
std::span<const std::string_view> rotations() {
    return kRotations;
}

const PageStyle* findPageStyle(std::string_view label) {
    return findRow(kPageStyles, label, &PageStyle::label);
}

const FontSizeRow* findFontSize(std::string_view sizeText) {
    return findRow(kFontSizes, sizeText, &FontSizeRow::sizeText);
}

const NamedColour* findColour(std::string_view name) {
    return findRow(kColours, name, &NamedColour::name);
}

}  // namespace leafwright
