#pragma once

#include <string_view>

namespace leafwright {

// Whether every table that face `index` of a font file lists in its table
// directory lies wholly within the file's bytes. A file cut short (a copy
// broken off, a download not finished) still opens, since its tables are
// read only when asked for, and would draw with the tables it has left yet
// fail every subset; it is refused when it is opened instead. Reads a
// TrueType or OpenType file and the faces of a collection ('ttcf').
bool tablesLieWithinFile(std::string_view file, unsigned index);

}  // namespace leafwright
