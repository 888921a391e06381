#pragma once

#include <string_view>

namespace leafwright {

// Whether faces of a font format, as fontconfig names it (FC_FONTFORMAT:
// "TrueType", "CFF"...), have outlines a PDF 1.3 document can embed as a
// subset: TrueType (glyf) or CFF; colour faces never are. The face itself is
// checked again when it is opened (openTrueTypeFace), which also turns away
// CFF2, colour and restricted faces.
bool isEmbeddableFontFormat(std::string_view fontconfigFormat, bool colour);

}  // namespace leafwright
