#pragma once

#include <string>

namespace leafwright {

// The file name that holds the text of an outline item when a document is
// split by its outline: the item's title as it is, with ".txt" added when
// it has no extension of its own (a dot and one to eight letters or digits
// at its end), so that "notes.txt" stays "notes.txt" and "Chapter 1"
// becomes "Chapter 1.txt".
struct SplitPartName {
    std::string name;     // empty when refused
    std::string refusal;  // why the title names no file of the folder
};

// Refuses a title that would leave the folder or name no plain file there:
// empty, "." or "..", holding "/", or a control character, or a name longer
// than a file name may be.
SplitPartName splitPartNameFor(const std::string& title);

}  // namespace leafwright
