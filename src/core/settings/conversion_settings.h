#pragma once

#include <string>

#include "core/settings/more_settings.h"

namespace leafwright {

// The twelve chosen values that a configuration file keeps, in file order,
// plus the five document-information texts that only the dialog holds, and
// the settings a file keeps after its twelve lines.
struct ChosenValues {
    std::string pageStyle;
    std::string font;
    std::string fontSize;
    std::string textColor;
    std::string pageColor;
    std::string rotation;
    std::string topMargin;
    std::string leftMargin;
    int landscape = 0;
    int customFolder = 0;
    std::string folder;
    int selfAdaptation = 0;

    std::string author;
    std::string title;
    std::string subject;
    std::string keywords;
    std::string creator;  // the "Creater" field; becomes the PDF producer

    MoreSettings more;
};

// The settings record the converter works with: the chosen values as the
// settings dialog shows them, and the derived values ready for the PDF.
struct ConversionSettings {
    ChosenValues chosen;

    // Derived values, as text ready to be written into the PDF.
    std::string baseFont = "Times-Roman";
    std::string fontSizeText = "14";
    std::string leadingText = "16.1";
    std::string textRgb = "0 0 0";
    std::string pageRgb = "1 1 1";
    std::string rotateText = "0";
    std::string textTop = "806";
    std::string textLeft = "36";
    std::string pageWidth = "595";
    std::string pageHeight = "842";
    std::string outputFolder = "Default Path";
    std::string docAuthor;
    std::string docTitle;
    std::string docSubject;
    std::string docKeywords;
    std::string docProducer = startUpProducer();

    // Derived numbers for the layout arithmetic.
    int fontSizeValue = 14;
    int leftMarginValue = 36;
    int topMarginValue = 36;
    int pageHeightValue = 842;
    int pageWidthValue = 595;
    double leadingValue = 16.1;
    int textTopValue = 0;  // set by the self-adapting layout for each file

    // "Leafwright by " followed by the maker's web address and one blank.
    static std::string startUpProducer();
};

inline constexpr const char* kDefaultPath = "Default Path";

}  // namespace leafwright
