#pragma once

#include <string>

#include "core/text/source_text.h"

namespace leafwright::testing {

// The source's next line whole, from its second pass: false at the end.
// Only for lines known to be short.
inline bool appendNextLine(SourceText& source, std::string& out) {
    if (!source.startLine()) return false;
    while (source.appendLinePiece(out)) {
    }
    return true;
}

}  // namespace leafwright::testing
