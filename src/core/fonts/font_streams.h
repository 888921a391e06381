#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/fonts/embedded_font.h"
#include "core/fonts/font_objects.h"

namespace leafwright {

class Deflater;

// The pieces that the objects of every kind of embedded font are made of,
// as text with "\n" line ends (written as CR LF).

// The glyphs the font's codes draw, glyph 0 aside, in order.
std::vector<GlyphId> usedGlyphs(const EmbeddedFont& font);

// "N 0 R".
std::string objectReference(int number);

// A stream object of the data as it is (its /Length counts the line end
// before "endstream", each "\n" as CR LF).
std::string streamObject(int number, const std::string& extraEntries, std::string_view data);

// A stream object of binary bytes, ASCIIHex-encoded.
std::string hexStreamObject(int number, const std::string& extraEntries, const std::string& bytes);

// An object made only of text.
FontObject textObject(int number, std::string text);

// The stream of bytes (as they are on disk) compressed with /FlateDecode;
// nothing when there is no deflater or that would not make it smaller.
std::optional<FontObject> flated(int number, const std::string& extraEntries,
                                 std::string_view bytes, Deflater* deflater);

// The stream of bytes (as they are on disk) compressed with /FlateDecode, or
// `plain` when there is no deflater or that would not make it smaller.
FontObject flateOr(FontObject plain, const std::string& extraEntries, std::string_view bytes,
                   Deflater* deflater);

// The same, the plain object made only when it is the one written: a font
// program's ASCIIHex text is twice its size, and most programs shrink.
template <typename MakePlain>
FontObject flateOrMade(int number, const MakePlain& plain, const std::string& extraEntries,
                       std::string_view bytes, Deflater* deflater) {
    std::optional<FontObject> packed = flated(number, extraEntries, bytes, deflater);
    return packed ? std::move(*packed) : textObject(number, plain());
}

// Text with "\n" line ends as it is on disk: CR LF.
std::string onDisk(std::string_view text);

// The /ToUnicode CMap of a font's codes, each `codeBytes` (1 or 2) long.
std::string toUnicodeCMap(const EmbeddedFont& font, int codeBytes = 2);

}  // namespace leafwright
