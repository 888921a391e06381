#pragma once

#include <span>
#include <string_view>

namespace leafwright {

// The fixed tables the settings are chosen from. Every list is in the order
// in which the settings dialog offers it, and every lookup compares the whole
// text exactly and case-sensitively.

// A page style: its list label and the portrait size in points, both as the
// text written into the PDF and as a number.
struct PageStyle {
    std::string_view label;
    std::string_view widthText;
    std::string_view heightText;
    int width;
    int height;
};

// A font size with its leading (1.15 times the size), as text and number.
struct FontSizeRow {
    std::string_view sizeText;
    int fontSizeValue;
    std::string_view leadingText;
    double leadingValue;
};

// A colour name and its "r g b" text, each component "0" or "1".
struct NamedColour {
    std::string_view name;
    std::string_view rgb;
};

std::span<const PageStyle> pageStyles();
std::span<const std::string_view> fontNames();
std::span<const FontSizeRow> fontSizes();
// Alphabetical, as the dialog's sorted colour lists show them.
std::span<const NamedColour> colours();
std::span<const std::string_view> rotations();

// The row with exactly this label, size text or name; nullptr when none has it.
const PageStyle* findPageStyle(std::string_view label);
const FontSizeRow* findFontSize(std::string_view sizeText);
const NamedColour* findColour(std::string_view name);

}  // namespace leafwright
