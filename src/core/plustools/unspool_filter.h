#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

class FontTextMaps;
class ToUnicodeMap;

// Copies the text of the strings shown inside the text objects of an
// uncompressed PDF out of its lines. It reads the lines as PDF tokens, but
// parses no objects: "BT" and "ET" (as operators, not inside strings, names
// or comments) open and close text objects, and every string that begins
// inside one is written, literal or hexadecimal, all those of one line
// joined into one output line. A string may run over several lines; its
// pieces are joined and the output line ends after the line it closes on.
//
// A string shown in a font (selected with "/Name size Tf") that has a
// /ToUnicode map is decoded through it; any other is taken byte for byte as
// Mac OS Roman. In those, "\\", "\(" and "\)" give the character after the
// backslash and every other escape stays as written.
//
// One filter serves one source file, fed its lines in order. A line may be
// fed in pieces of any size: only the filter's state is kept between them.
class UnspoolFilter {
  public:
    UnspoolFilter() = default;
    // The fonts' maps must outlive the filter.
    explicit UnspoolFilter(const FontTextMaps* fonts) : fonts_(fonts) {}

    // Passes the next piece of the current line through the filter and
    // appends what it yields to out (UTF-8).
    void filterPiece(std::string_view piece, std::string& out);
    // Ends the current line (its line end is not part of it): writes CR LF
    // when a string ended on it and none is left open.
    void endLine(std::string& out);
    // A whole line: its pieces, then its end.
    void filterLine(std::string_view line, std::string& out) {
        filterPiece(line, out);
        endLine(out);
    }

    // Text objects opened minus text objects closed; may fall below 0.
    std::int64_t textDepth() const noexcept { return textDepth_; }
    // Unbalanced parentheses of a literal string left open (its own opening
    // one included); 1 for an open hexadecimal string; 0 outside strings.
    std::int64_t openStrings() const noexcept;

  private:
    enum class Lexer { Normal, Comment, Literal, Hex, AfterLess, Word, Name };

    std::size_t literal(std::string_view piece, std::size_t at, std::string& out);
    std::size_t hex(std::string_view piece, std::size_t at, std::string& out);
    void between(unsigned char c);
    void endToken();
    void beginString();
    void endString(std::string& out);
    void stringByte(unsigned char byte, std::string& out);
    void escapedByte(unsigned char c, std::string& out);
    void endEscape(std::string& out);
    void flushCodes(std::string& out);
    void appendCodeText(std::size_t length, std::string& out);

    const FontTextMaps* fonts_ = nullptr;
    std::int64_t textDepth_ = 0;
    Lexer lexer_ = Lexer::Normal;

    // The regular characters or the name being read.
    std::string token_;
    bool tokenTooLong_ = false;
    std::string lastName_;  // the last name read, for "Tf"
    bool lastNameUsable_ = false;
    const ToUnicodeMap* font_ = nullptr;  // the current font's map, if any

    // The string being read.
    std::int64_t literalDepth_ = 0;
    int escape_ = 0;  // 0: none; 1: after a backslash; 2-4: octal digits read + 1
    unsigned octal_ = 0;
    int hexHalf_ = -1;
    bool visible_ = false;                     // begun inside a text object: written
    const ToUnicodeMap* stringMap_ = nullptr;  // decoded through this map
    std::string codes_;                        // bytes of a code not yet complete
    std::string codeText_;                     // the text of one code, before it is written
    bool lineBreakDue_ = false;                // a string written on this line has ended
};

}  // namespace leafwright
