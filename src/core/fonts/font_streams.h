#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/embedded_font.h"

namespace leafwright {

class Deflater;
struct FontObject;

// The pieces that the objects of every kind of embedded font are made of,
// as text with "\n" line ends (written as CR LF).

// The glyphs the font's codes draw, glyph 0 aside, in order.
std::vector<GlyphId> usedGlyphs(const EmbeddedFont& font);

// "N 0 R".
std::string objectReference(int number);

// A stream object of the data as it is (its /Length counts the line end
// before "endstream", each "\n" as CR LF).
std::string streamObject(int number, const std::string& extraEntries, std::string data);

// A stream object of binary bytes, ASCIIHex-encoded.
std::string hexStreamObject(int number, const std::string& extraEntries, const std::string& bytes);

// An object made only of text.
FontObject textObject(int number, std::string text);

// The stream of bytes (as they are on disk) compressed with /FlateDecode, or
// `plain` when there is no deflater or that would not make it smaller.
FontObject flateOr(FontObject plain, const std::string& extraEntries, std::string_view bytes,
                   Deflater* deflater);

// Text with "\n" line ends as it is on disk: CR LF.
std::string onDisk(std::string_view text);

// The /ToUnicode CMap of a font's codes, each `codeBytes` (1 or 2) long.
std::string toUnicodeCMap(const EmbeddedFont& font, int codeBytes = 2);

}  // namespace leafwright
