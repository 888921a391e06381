#pragma once

#include <string_view>

namespace leafwright {

// Whether faces of a font format, as fontconfig names it ("TrueType",
// "CFF"...), are ones the documents can embed; colour faces never are. Only
// TrueType faces with glyf outlines can be written today, so an OpenType face
// with CFF outlines is passed over wherever a fallback order or fontconfig
// offers it. The face is checked again when it is opened (truetype_face.h).
bool isEmbeddableFontFormat(std::string_view fontconfigFormat, bool colour);

}  // namespace leafwright
