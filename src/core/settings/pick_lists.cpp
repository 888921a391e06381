#include "core/settings/pick_lists.h"

#include <vector>

#include "core/settings/value_tables.h"

namespace leafwright {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool beginsWithIgnoringCase(std::string_view entry, std::string_view value) {
    if (value.size() > entry.size()) return false;
    for (std::size_t i = 0; i < value.size(); ++i)
        if (lowerAscii(entry[i]) != lowerAscii(value[i])) return false;
    return true;
}

template <typename Row, typename Label>
std::vector<std::string_view> labelsOf(std::span<const Row> rows, Label label) {
    std::vector<std::string_view> labels;
    for (const Row& row : rows) labels.push_back(label(row));
    return labels;
}

}  // namespace

std::optional<std::size_t> pickListIndex(std::span<const std::string_view> entries,
                                         std::string_view value) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (beginsWithIgnoringCase(entries[i], value)) return i;
    return std::nullopt;
}

std::string pickListEntry(std::span<const std::string_view> entries, std::string_view value) {
    const std::optional<std::size_t> index = pickListIndex(entries, value);
    return index ? std::string(entries[*index]) : std::string();
}

ChosenValues asShownInPickLists(ChosenValues values) {
    const auto styles = labelsOf(pageStyles(), [](const PageStyle& s) { return s.label; });
    const auto sizes = labelsOf(fontSizes(), [](const FontSizeRow& r) { return r.sizeText; });
    const auto colourNames = labelsOf(colours(), [](const NamedColour& c) { return c.name; });
    values.pageStyle = pickListEntry(styles, values.pageStyle);
    values.font = pickListEntry(fontNames(), values.font);
    values.fontSize = pickListEntry(sizes, values.fontSize);
    values.textColor = pickListEntry(colourNames, values.textColor);
    values.pageColor = pickListEntry(colourNames, values.pageColor);
    values.rotation = pickListEntry(rotations(), values.rotation);
    return values;
}

}  // namespace leafwright
