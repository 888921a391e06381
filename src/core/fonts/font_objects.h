#pragma once

#include <string>
#include <vector>

#include "core/fonts/embedded_font.h"

namespace leafwright {

// The PDF objects that carry one embedded font, as text with "\n" line ends
// (written as CR LF like the rest of the file), each from "N 0 obj" to
// "endobj\n". For a face with TrueType outlines:
//   0. the Type0 font named in the page resources (its number is given),
//   1. its /CIDFontType2 descendant with the /W widths,
//   2. the /FontDescriptor,
//   3. the /CIDToGIDMap stream (code -> glyph id of the subset),
//   4. the /ToUnicode CMap (code -> character),
//   5. the /FontFile2 stream, the TrueType subset.
// For a face with CFF outlines, whose codes are the CIDs of its program:
//   0. the Type0 font, 1. its /CIDFontType0 descendant, 2. the descriptor,
//   3. the /ToUnicode CMap, 4. the /FontFile3 stream (/CIDFontType0C), the
//   subset made CID-keyed (cidKeyedCff).
// Objects from 1 on take the numbers from firstHelperNumber up, as many as
// embeddedFontObjectCount says in all. Binary streams are ASCIIHex-encoded;
// all of it is valid PDF 1.3 and holds only printable ASCII and line ends.
// With compress, the streams are compressed with /FlateDecode instead, each
// when that makes it smaller (Deflater), the map and the programs as binary
// data: the /ToUnicode CMap as its bytes on disk would be, the others as
// their bytes.
inline constexpr int kObjectsPerEmbeddedFont = 6;

// An object written as text, then (for a compressed stream) its data as it
// is and the text after it.
struct FontObject {
    int number;
    std::string text;
    std::string data;
    std::string tail;
};

// A face of colour bitmaps is written as a Type 3 font instead
// (type3_font_objects.h), the font's number given for its font object.
//
// How many objects embeddedFontObjects writes for the font: 6, 5 for CFF
// outlines, or as type3FontObjectCount says.
int embeddedFontObjectCount(const EmbeddedFont& font);

// `page` is the colour of the page, on which the pictures of colour glyphs
// are laid.
std::vector<FontObject> embeddedFontObjects(const EmbeddedFont& font, int type0Number,
                                            int firstHelperNumber, bool compress = false,
                                            Rgb page = {});

// The six-letter subset tag ("ABCDEF") for a face's subset of these glyphs:
// a hash of the face name and the glyph set, so the same glyphs always get
// the same tag and different subsets almost never share one.
std::string subsetTag(const std::string& postScriptName, const std::vector<GlyphId>& glyphs);

}  // namespace leafwright
