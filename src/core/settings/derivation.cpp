#include "core/settings/derivation.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

#include "core/platform/file_search.h"
#include "core/settings/messages.h"
#include "core/settings/value_tables.h"

namespace leafwright {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

// The value of a text of decimal digits, or nothing when it does not fit in
// an int. Leading zeros are allowed in any number, so the check is on the
// value, not on the count of digits.
std::optional<int> decimalValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        int digit = c - '0';
        if (value > (INT_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// The number a page-size text spells: its leading digits, held at INT_MAX
// should they ever spell more.
int pageSizeValue(std::string_view text) {
    auto end = std::find_if_not(text.begin(), text.end(), isDigit);
    return decimalValue(std::string_view(text.begin(), end)).value_or(INT_MAX);
}

// Checks one margin against the page size. A margin too large for an int is
// larger than any page, so it is out of range rather than illegal.
int checkMargin(std::string_view margin, int pageSize, int illegal, int outOfRange, int& value) {
    if (!allDigits(margin)) return illegal;
    std::optional<int> parsed = decimalValue(margin);
    if (!parsed || *parsed > pageSize) return outOfRange;
    value = *parsed;
    return 0;
}

int derivePageAndMargins(ConversionSettings& settings) {
    ChosenValues& chosen = settings.chosen;
    if (chosen.topMargin.empty() || chosen.leftMargin.empty()) {
        // assign(1, '0') rather than = "0": g++ 12 gives a false -Wrestrict warning.
        chosen.topMargin.assign(1, '0');
        chosen.leftMargin.assign(1, '0');
    }

    if (const PageStyle* style = findPageStyle(chosen.pageStyle)) {
        settings.pageWidth = chosen.landscape == 1 ? style->heightText : style->widthText;
        settings.pageHeight = chosen.landscape == 1 ? style->widthText : style->heightText;
    }

    settings.pageHeightValue = pageSizeValue(settings.pageHeight);
    if (int rejected = checkMargin(chosen.topMargin, settings.pageHeightValue, kTopMarginIllegal,
                                   kTopMarginOutOfRange, settings.topMarginValue)) {
        return rejected;
    }
    settings.textTop = std::to_string(settings.pageHeightValue - settings.topMarginValue);

    settings.pageWidthValue = pageSizeValue(settings.pageWidth);
    if (int rejected = checkMargin(chosen.leftMargin, settings.pageWidthValue, kLeftMarginIllegal,
                                   kLeftMarginOutOfRange, settings.leftMarginValue)) {
        return rejected;
    }
    settings.textLeft = std::to_string(settings.leftMarginValue);
    return 0;
}

// "Default Path" (exactly) means beside each source. Anything else is a
// search pattern; the first directory it finds becomes the output folder.
int deriveOutputFolder(ConversionSettings& settings) {
    const std::string& folder = settings.chosen.folder;
    settings.outputFolder = folder;
    if (folder == kDefaultPath) return 0;
    for (const FoundEntry& entry : findEntries(folder)) {
        if (entry.isDirectory) {
            settings.outputFolder = entry.fullPath;
            return 0;
        }
    }
    return kPathDoesNotExist;
}

}  // namespace

int deriveSettings(ConversionSettings& settings, const ChosenValues& chosen) {
    settings.chosen = chosen;

    if (settings.chosen.selfAdaptation == 0) {
        if (int rejected = derivePageAndMargins(settings)) return rejected;
    }

    if (int rejected = deriveOutputFolder(settings)) return rejected;

    settings.docAuthor = settings.chosen.author;
    settings.docTitle = settings.chosen.title;
    settings.docSubject = settings.chosen.subject;
    settings.docKeywords = settings.chosen.keywords;
    settings.docProducer = settings.chosen.creator;

    // A pick list with nothing selected gives an empty text; written into
    // the document it would break every page, so the font, rotation and
    // size then keep what they were.
    if (!settings.chosen.font.empty()) settings.baseFont = settings.chosen.font;
    if (!settings.chosen.rotation.empty()) settings.rotateText = settings.chosen.rotation;
    if (!settings.chosen.fontSize.empty()) settings.fontSizeText = settings.chosen.fontSize;

    if (const FontSizeRow* row = findFontSize(settings.fontSizeText)) {
        settings.leadingText = row->leadingText;
        settings.leadingValue = row->leadingValue;
        settings.fontSizeValue = row->fontSizeValue;
    }

    if (const NamedColour* colour = findColour(settings.chosen.textColor)) {
        settings.textRgb = colour->rgb;
    }
    if (const NamedColour* colour = findColour(settings.chosen.pageColor)) {
        settings.pageRgb = colour->rgb;
    }
    return 0;
}

}  // namespace leafwright
