#pragma once

#include <string>

namespace leafwright {

// The file name that holds the text of an outline item when a document is
// split by its outline: the item's title with ".txt" added, unless it ends
// in ".txt" already, so that "notes.txt" stays "notes.txt" and "Chapter 1"
// becomes "Chapter 1.txt". A text file never takes the name of a file of
// another kind ("report.pdf" gives "report.pdf.txt"), whatever a PDF's
// titles say.
struct SplitPartName {
    std::string name;     // empty when refused
    std::string refusal;  // why the title names no file of the folder
};

// Refuses a title that would leave the folder or name no plain file there:
// empty, "." or "..", holding "/", or a control character, or a name longer
// than a file name may be.
SplitPartName splitPartNameFor(const std::string& title);

}  // namespace leafwright
